// The command-line parser: a parse that succeeds ran each option once per mention and kept exactly
// the arguments that are files, in order; one that fails asked for the help.

#include "FuzzSupport.h"
#include "app/CommandLineParser.h"

namespace {

struct Counts
{
    int alpha = 0;
    int beta = 0;
};

void onAlpha(void* object)
{
    ++static_cast<Counts*>(object)->alpha;
}
void onBeta(void* object)
{
    ++static_cast<Counts*>(object)->beta;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (FuzzSupport::silenceMessages(), true);
    Q_UNUSED(quiet);
    // Arguments are the input's lines; the first names the program.
    const QStringList arguments =
        QString::fromUtf8(reinterpret_cast<const char*>(data), int(size)).split(QLatin1Char('\n'));
    Counts counts;
    CommandLineParser parser;
    parser.addOption(&onAlpha, &counts, QLatin1Char('a'), QStringLiteral("--alpha"), QStringLiteral("first"));
    parser.addOption(&onBeta, &counts, QLatin1Char('b'), QStringLiteral("--beta"), QStringLiteral("second"));
    // A duplicate name: the option added first wins.
    parser.addOption(&onBeta, &counts, QLatin1Char('a'), QStringLiteral("--alpha"), QStringLiteral("again"));
    const bool go = parser.parse(arguments);
    if (!go) {
        FUZZ_CHECK(arguments.isEmpty() || parser.helpRequested());
        return 0;
    }
    FUZZ_CHECK(!parser.helpRequested());

    Counts expected;
    QStringList files;
    bool positionalOnly = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument.isEmpty())
            continue;
        if (positionalOnly || !argument.startsWith(QLatin1Char('-'))) {
            files.append(argument);
        } else if (argument == QLatin1String("--")) {
            positionalOnly = true;
        } else if (argument == QLatin1String("--alpha")) {
            ++expected.alpha;
        } else if (argument == QLatin1String("--beta")) {
            ++expected.beta;
        } else {
            // Only a cluster of known letters can be left in a parse that went through.
            FUZZ_CHECK(!argument.startsWith(QLatin1String("--")));
            for (int p = 1; p < argument.size(); ++p) {
                FUZZ_CHECK(argument.at(p) == QLatin1Char('a') || argument.at(p) == QLatin1Char('b'));
                ++(argument.at(p) == QLatin1Char('a') ? expected.alpha : expected.beta);
            }
        }
    }
    FUZZ_CHECK(parser.files() == files);
    FUZZ_CHECK(counts.alpha == expected.alpha);
    FUZZ_CHECK(counts.beta == expected.beta);
    return 0;
}
