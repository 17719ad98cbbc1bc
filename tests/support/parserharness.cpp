#include "parserharness.h"

#include <gtest/gtest.h>

QStringList DecodeEverySplit(const QString& model, const QString& text, const std::function<void(AppState&)>& setup)
{
    auto decode = [&](const QStringList& chunks) {
        ParserRun run(model);
        if (setup)
            setup(run.state);
        run.Run(chunks);
        return Describe(run.sink.values);
    };
    const QStringList whole = decode({text});
    for (int k = 1; k < text.size(); ++k) {
        const QStringList split = decode({text.left(k), text.mid(k)});
        EXPECT_EQ(split, whole) << model.toStdString() << ": split at " << k << " of " << text.size();
        if (split != whole)
            break; // one failing position says enough
    }
    return whole;
}
