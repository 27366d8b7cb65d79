#include "engine/MergePreview.h"

#include "engine/MergeColumn.h"
#include "engine/MergeEngine.h"

#include <memory>
#include <vector>

namespace {

// A column with no more than a given number of lines: the engine makes as many records as the
// longest column has lines, so capping every column caps the run.
class CappedColumn : public MergeColumn
{
public:
    CappedColumn(MergeColumn* column, int maxLines) : m_column(column), m_life(column->lifeToken()), m_max(maxLines) {}

    QString snippet() const override { return alive() ? m_column->snippet() : QString(); }
    int lineCount() const override { return alive() ? qMin(m_column->lineCount(), m_max) : 1; }
    QString lineText(int i) const override { return alive() && i < m_max ? m_column->lineText(i) : QString(); }
    void resetLineCursor() override { m_cursor = 0; }
    QString nextLine() override { return lineText(m_cursor++); }

private:
    bool alive() const { return !m_life.expired(); }

    MergeColumn* m_column;
    std::weak_ptr<const void> m_life;
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
