#pragma once
// The rule lists of the batch-replace window: one plain-text rule a line ("find <> replacement"),
// applied in order, each to the outcome of the one before.

#include <QString>
#include <QVector>

#include <functional>

class BatchRules
{
public:
    struct Rule
    {
        QString find;
        QString replacement;
        // 1-based line of the rules text it came from.
        int line = 0;
    };

    enum class Status {
        Done,
        // Ended by the stop predicate; the outcome's text is empty.
        Stopped,
        // A rule could not be applied; the outcome says which and why.
        Failed,
    };

    struct Outcome
    {
        Status status = Status::Done;
        QString text;
        // 1-based position of the failing rule in the rule list, 0 when none failed.
        int failedRule = 0;
        QString error;
        qint64 replacements = 0;
    };

    // False for a line that holds no rule: blank, or a comment ("#" after optional white space).
    // A line without exactly one separator gives the empty rule, which changes nothing.
    static bool parseLine(const QString& line, Rule* rule);
    // Every line of the text that holds a rule, in order.
    static QVector<Rule> parse(const QString& rulesText);

    // Applies the rules to source in order: every occurrence of a rule's text to find, left to right
    // and without overlapping, is replaced. An empty text to find changes nothing. A rule that would
    // make the text longer than limit (in UTF-16 units) fails the run. Lets pending events run through EventPacer and
    // ends when stopRequested (which may be empty) says so.
    static Outcome apply(const QString& source, const QVector<Rule>& rules, int limit,
                         const std::function<bool()>& stopRequested = {});

    // "[Error]:%1, in line %2" for a failed outcome.
    static QString errorText(const Outcome& outcome);
};
