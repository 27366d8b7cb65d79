// Batch rules: a parsed rule gives back its line, and applying rules matches replacing with
// QString::replace rule by rule, the size limit failing exactly the rule that grows the text past it.

#include "FuzzSupport.h"
#include "tools/BatchRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::ensureApplication();
    FuzzSupport::Input input(data, size);
    const int limit = input.number(0, 600);
    const QString source = input.text(300);
    const QByteArray rest = input.rest();
    const QString rulesText = QString::fromLatin1(rest);

    const QVector<BatchRules::Rule> rules = BatchRules::parse(rulesText);
    for (const BatchRules::Rule& rule : rules) {
        FUZZ_CHECK(rule.line >= 1);
        // Lines cut at LF alone are the rules' lines when there is no CR.
        if ((!rule.find.isEmpty() || !rule.replacement.isEmpty()) && !rulesText.contains(QLatin1Char('\r'))) {
            const QString line = rulesText.split(QLatin1Char('\n')).value(rule.line - 1);
            FUZZ_CHECK(line == rule.find + QStringLiteral(" <> ") + rule.replacement ||
                       line == rule.find + QStringLiteral(" <>") + rule.replacement);
        }
    }

    QString expected = source;
    int failing = 0;
    for (int i = 0; i < rules.size() && failing == 0; ++i) {
        if (rules.at(i).find.isEmpty())
            continue;
        const int before = expected.size();
        expected.replace(rules.at(i).find, rules.at(i).replacement, Qt::CaseSensitive);
        if (expected.size() > qMax(limit, before))
            failing = i + 1;
    }
    const BatchRules::Outcome outcome = BatchRules::apply(source, rules, limit);
    if (failing > 0) {
        FUZZ_CHECK(outcome.status == BatchRules::Status::Failed);
        FUZZ_CHECK(outcome.failedRule == failing);
        FUZZ_CHECK(outcome.text.isEmpty());
    } else {
        FUZZ_CHECK(outcome.status == BatchRules::Status::Done);
        FUZZ_CHECK(outcome.text == expected);
    }
    return 0;
}
