#pragma once
// One command's arguments: options that take a value ("--out FILE" or
// "--out=FILE"), switches ("--listen"), and the rest in their order (a lone
// "-" is a file name: standard input). Every command reads its arguments
// through this, so they all take and refuse the same forms.

#include <QMap>
#include <QString>
#include <QStringList>
#include <climits>
#include <initializer_list>

class CliArgs {
public:
    CliArgs(const char* command, const QStringList& args, std::initializer_list<const char*> valueOptions,
            std::initializer_list<const char*> switches = {}, int maxPositional = 0);

    // False after the first fault, which Error() names.
    bool Ok() const { return error_.isEmpty(); }
    const QString& Error() const { return error_; }
    // Prints "vam-cli COMMAND: ERROR" on stderr.
    void Report() const;

    QString Value(const char* option, const QString& fallback = QString()) const;
    bool Has(const char* option) const { return values_.contains(QLatin1String(option)); }
    const QStringList& Positional() const { return positional_; }
    // A number option into `out` (unchanged when the option is absent); false,
    // with the error set, when it is not a whole number in [minimum, maximum].
    bool Number(const char* option, int& out, int minimum, int maximum = INT_MAX);
    // The same for a decimal number of at least `minimum`.
    bool Number(const char* option, double& out, double minimum);

private:
    QString command_;
    QMap<QString, QString> values_;
    QStringList positional_;
    QString error_;
};

// The file an --out option appends to. False, with the refusal in
// `message`, when `mustBeNew` and something of that name exists; otherwise
// true, and `message` says how much an existing file already holds ("" for
// a new one), so that a command run twice is not a silent double capture.
bool CheckAppendFile(const char* command, const QString& path, bool mustBeNew, QString& message);

// A model named on the command line, in the catalogue's spelling whatever its
// case ("k231" -> "K231"); a name of no model stays as typed for the message.
QString CliModelName(const QString& typed);
