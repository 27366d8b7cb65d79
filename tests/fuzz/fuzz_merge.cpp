// The merge engine: a merge equals the records built straight from the template's pieces, the pieces
// give back the template, Replace Match leaves a text without matches alone, random records of a
// template without references repeat it, and a column removed or a new setup during a run harms
// nothing. The merge built as editor bytes is the string merge encoded, whatever the columns' bytes.

#include "FuzzSupport.h"
#include "engine/ByteColumn.h"
#include "engine/MergeEngine.h"
#include "engine/PlainColumn.h"

#include <QRegularExpression>
#include <QTimer>

#include <memory>
#include <vector>

namespace {

// The records as the merge defines them, from the engine's own cutting of the template.
QString referenceMerge(const QString& templateText, const QList<MergeColumn*>& columns, const QString& separator)
{
    if (columns.isEmpty() || templateText.isEmpty())
        return templateText;
    const QList<TemplateToken> tokens = MergeEngine::tokenize(templateText, columns);
    int records = 0;
    for (const TemplateToken& token : tokens) {
        if (token.isColumn())
            records = qMax(records, columns.at(token.column)->lineCount());
    }
    QString out;
    for (int i = 0; i < records; ++i) {
        if (i > 0)
            out += separator;
        for (const TemplateToken& token : tokens)
            out += token.isColumn() ? columns.at(token.column)->lineText(i) : token.text;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSupport::ensureApplication();
    static const bool quiet = (FuzzSupport::silenceMessages(), true);
    Q_UNUSED(quiet);
    FuzzSupport::Input input(data, size);
    const int mode = input.number(0, 2);
    const bool multiLine = input.flag();
    const QString lineBreak =
        QStringList{QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\r")}.at(input.number(0, 2));
    // What happens while the run lets events run: nothing, a column goes, or a new setup comes in.
    const int during = input.number(0, 2);
    const int columnCount = input.number(1, 4);
    // The byte columns' encodings (as UTF-8 or Latin-1, or the text's Latin-1 bytes read as UTF-8,
    // which need not be UTF-8 at all) and the target's.
    const int byteMode = input.number(0, 2);
    const bool targetUnicode = input.flag();
    const int randomCount = input.number(0, 12);
    const QString templateText = input.text(60);
    std::vector<std::unique_ptr<PlainColumn>> owned;
    QList<MergeColumn*> columns;
    for (int i = 0; i < columnCount; ++i) {
        const QString snippet = input.text(16);
        owned.push_back(std::make_unique<PlainColumn>(PlainColumn::fromText(snippet, input.text(40))));
        columns.append(owned.back().get());
    }

    // The pieces are the template: literals and the snippets they stand for, in order.
    QString rebuilt;
    for (const TemplateToken& token : MergeEngine::tokenize(templateText, columns))
        rebuilt += token.isColumn() ? columns.at(token.column)->snippet() : token.text;
    FUZZ_CHECK(rebuilt == templateText);

    MergeEngine engine;
    engine.setMultiLine(multiLine);
    engine.setEventInterval(0);
    const QString separator = multiLine ? lineBreak : QString();

    if (during == 0) {
        engine.setup(columns, templateText, lineBreak);
        if (mode == 0) {
            const QString merged = engine.merge();
            FUZZ_CHECK(merged == referenceMerge(templateText, columns, separator));
            FUZZ_CHECK(!engine.resultTruncated());

            std::vector<std::unique_ptr<ByteColumn>> byteOwned;
            QList<MergeColumn*> byteColumns;
            for (const MergeColumn* column : qAsConst(columns)) {
                QStringList lines;
                for (int i = 0; i < column->lineCount(); ++i)
                    lines.append(column->lineText(i));
                const QString text = lines.join(QLatin1Char('\n'));
                const QByteArray bytes = byteMode == 2 ? text.toLatin1() : encodeEditorText(text, byteMode == 0);
                byteOwned.push_back(std::make_unique<ByteColumn>(column->snippet(), bytes, byteMode != 1));
                byteColumns.append(byteOwned.back().get());
            }
            engine.setup(byteColumns, templateText, lineBreak);
            const QByteArray expected = encodeEditorText(engine.merge(), targetUnicode);
            engine.setup(byteColumns, templateText, lineBreak);
            ByteBuffer bytes;
            FUZZ_CHECK(engine.mergeBytes(bytes, targetUnicode));
            FUZZ_CHECK(bytes.bytes() == expected);
        } else if (mode == 1) {
            bool anyMatch = false;
            for (const MergeColumn* column : qAsConst(columns)) {
                // As the run reads a snippet: "^" and "$" at every line.
                const QRegularExpression pattern(column->snippet(), QRegularExpression::MultilineOption);
                anyMatch = anyMatch || (!column->snippet().isEmpty() && pattern.isValid() &&
                                        pattern.match(templateText).hasMatch());
            }
            const QString replaced = engine.replaceMatches();
            if (!anyMatch)
                FUZZ_CHECK(replaced == templateText);
        } else {
            const QString random = engine.generateRandom(randomCount);
            bool referenced = false;
            for (const TemplateToken& token : MergeEngine::tokenize(templateText, columns))
                referenced = referenced || token.isColumn();
            if (!referenced && !templateText.isEmpty()) {
                QStringList copies;
                for (int i = 0; i < randomCount; ++i)
                    copies.append(templateText);
                FUZZ_CHECK(random == copies.join(separator));
            }
        }
        return 0;
    }

    // The first event round of a run comes before its first record: the change lands there.
    engine.setup(columns, templateText, lineBreak);
    const int victim = input.number(0, columnCount - 1);
    PlainColumn other(QStringLiteral("#1#"), {QStringLiteral("other")});
    // A timer of this scope, so that it can never fire after the input's objects are gone.
    QTimer change;
    change.setSingleShot(true);
    bool changed = false;
    QObject::connect(&change, &QTimer::timeout, [&] {
        changed = true;
        if (during == 1)
            owned.at(size_t(victim)).reset();
        else
            engine.setup({&other}, QStringLiteral("#1#"), lineBreak);
    });
    change.start(0);
    const QString out = mode == 0   ? engine.merge()
                        : mode == 1 ? engine.replaceMatches()
                                    : engine.generateRandom(randomCount);
    Q_UNUSED(out);
    // A run that a new setup overtook does not store its result over the new setup's.
    if (during == 2 && changed && mode != 2)
        FUZZ_CHECK(engine.result().isEmpty());
    return 0;
}
