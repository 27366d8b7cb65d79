#include "engine/MergePreview.h"

#include "engine/MergeColumn.h"
#include "engine/MergeEngine.h"

#include <memory>
#include <vector>

namespace {

// A column with no more than a given number of lines: the engine makes as many records as the
// longest column has lines, so capping every column caps the run.
class CappedColumn : public WrappedColumn
{
public:
    CappedColumn(MergeColumn* column, int maxLines) : WrappedColumn(column), m_max(maxLines) {}

    int lineCount() const override { return qMin(WrappedColumn::lineCount(), m_max); }
    QString lineText(int i) const override { return alive() && i < m_max ? column()->lineText(i) : QString(); }
    void resetLineCursor() override { m_cursor = 0; }
    QString nextLine() override { return lineText(m_cursor++); }

private:
    int m_max;
    int m_cursor = 0;
};

} // namespace

namespace MergePreview {

QString build(const QList<MergeColumn*>& columns, const QString& templateText, const QString& lineBreak, bool multiLine,
              int maxLines)
{
    if (maxLines <= 0)
        return QString();
    std::vector<std::unique_ptr<CappedColumn>> capped;
    QList<MergeColumn*> read;
    for (MergeColumn* column : columns) {
        capped.push_back(std::make_unique<CappedColumn>(column, maxLines));
        read.append(capped.back().get());
    }
    MergeEngine engine;
    engine.setResultLimit(MaxLength);
    engine.setEventInterval(MergeEngine::NoEvents);
    engine.setMultiLine(multiLine);
    engine.setup(read, templateText, lineBreak);
    return firstLines(engine.merge(), maxLines);
}

QString firstLines(const QString& text, int maxLines)
{
    int lines = 1;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        if (lines == maxLines)
            return text.left(i);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        ++lines;
    }
    return text;
}

} // namespace MergePreview
