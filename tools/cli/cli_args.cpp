#include "cli_args.h"

#include "core/devices/catalogue.h"

#include <QFileInfo>
#include <cstdio>

CliArgs::CliArgs(const char* command, const QStringList& args, std::initializer_list<const char*> valueOptions,
                 std::initializer_list<const char*> switches, int maxPositional)
    : command_(QLatin1String(command))
{
    const auto known = [](std::initializer_list<const char*> names, const QString& name) {
        for (const char* n : names)
            if (name == QLatin1String(n))
                return true;
        return false;
    };
    for (int i = 0; i < args.size() && error_.isEmpty(); ++i) {
        const QString& a = args[i];
        if (a.startsWith(QLatin1String("--"))) {
            const int eq = a.indexOf(QLatin1Char('='));
            const QString name = eq < 0 ? a : a.left(eq);
            if (known(valueOptions, name)) {
                if (eq >= 0)
                    values_[name] = a.mid(eq + 1);
                else if (i + 1 < args.size())
                    values_[name] = args[++i];
                else
                    error_ = name + QStringLiteral(" needs a value");
            } else if (known(switches, name) && eq < 0) {
                values_[name] = QString();
            } else {
                error_ = QStringLiteral("unknown option '%1'").arg(a);
            }
        } else if (a.startsWith(QLatin1Char('-')) && a != QLatin1String("-")) {
            error_ = QStringLiteral("unknown option '%1'").arg(a);
        } else if (positional_.size() < maxPositional) {
            positional_ << a;
        } else {
            error_ = QStringLiteral("unexpected argument '%1'").arg(a);
        }
    }
}

void CliArgs::Report() const
{
    std::fprintf(stderr, "vam-cli %s: %s\n", qPrintable(command_), qPrintable(error_));
}

QString CliArgs::Value(const char* option, const QString& fallback) const
{
    return values_.value(QLatin1String(option), fallback);
}

bool CliArgs::Number(const char* option, int& out, int minimum, int maximum)
{
    if (!Has(option))
        return true;
    bool ok = false;
    const int v = Value(option).toInt(&ok);
    if (!ok || v < minimum || v > maximum) {
        error_ = QStringLiteral("invalid value for %1").arg(QLatin1String(option));
        return false;
    }
    out = v;
    return true;
}

bool CliArgs::Number(const char* option, double& out, double minimum)
{
    if (!Has(option))
        return true;
    bool ok = false;
    const double v = Value(option).toDouble(&ok);
    if (!ok || !(v >= minimum)) {
        error_ = QStringLiteral("invalid value for %1").arg(QLatin1String(option));
        return false;
    }
    out = v;
    return true;
}

bool CheckAppendFile(const char* command, const QString& path, bool mustBeNew, QString& message)
{
    message.clear();
    const QFileInfo info(path);
    if (!info.exists())
        return true;
    if (mustBeNew) {
        message = QStringLiteral("vam-cli %1: '%2' already exists; with --new only a new file is written")
                      .arg(QLatin1String(command), path);
        return false;
    }
    if (info.isFile())
        message = QStringLiteral("vam-cli %1: appending to '%2' (%3 bytes already in it)")
                      .arg(QLatin1String(command), path)
                      .arg(info.size());
    return true;
}

QString CliModelName(const QString& typed)
{
    const QString model = CanonicalModelName(typed);
    return model.isEmpty() ? typed : model;
}
