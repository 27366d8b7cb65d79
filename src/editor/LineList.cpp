#include "editor/LineList.h"

#include "engine/EventPacer.h"

#include <QRandomGenerator>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// CR, LF, TAB, FF, VT and space: what the left and right strips remove.
const QString StripSet = QStringLiteral("\r\n\t\f\v ");

} // namespace

LineList::LineList(const QStringList& lines, EolFormat eol, bool unicode)
    : m_lines(lines), m_eol(eolString(eol)), m_unicode(unicode)
{
}

int LineList::width(const QString& line) const
{
    return m_unicode ? displayWidth(line) : line.size();
}

std::vector<int> LineList::lineWidths(int* maxWidth) const
{
    std::vector<int> widths;
    widths.reserve(size_t(m_lines.size()));
    *maxWidth = 0;
    for (const QString& line : m_lines) {
        widths.push_back(width(line));
        *maxWidth = std::max(*maxWidth, widths.back());
    }
    return widths;
}

template <typename Fn> void LineList::forEachLine(Fn fn)
{
    m_stopRequested = false;
    EventPacer pacer([this] { return m_stopRequested; });
    const int n = m_lines.size();
    for (int i = 0; i < n && !pacer.pollStop(); ++i)
        fn(m_lines[i]);
}

void LineList::toUpper()
{
    forEachLine([](QString& line) { line = line.toUpper(); });
}

void LineList::toLower()
{
    forEachLine([](QString& line) { line = line.toLower(); });
}

void LineList::upperFirstChar()
{
    forEachLine([](QString& line) {
        if (!line.isEmpty())
            line[0] = line.at(0).toUpper();
    });
}

void LineList::lowerFirstChar()
{
    forEachLine([](QString& line) {
        if (!line.isEmpty())
            line[0] = line.at(0).toLower();
    });
}

void LineList::swapCase()
{
    forEachLine([](QString& line) { line = swapCaseText(line); });
}

void LineList::truncateLeft()
{
    // A surrogate pair is one character: removing half of it would leave a broken string.
    forEachLine([](QString& line) {
        if (line.isEmpty())
            return;
        const bool pair = line.size() >= 2 && line.at(0).isHighSurrogate() && line.at(1).isLowSurrogate();
        line.remove(0, pair ? 2 : 1);
    });
}

void LineList::truncateRight()
{
    forEachLine([](QString& line) {
        const int n = line.size();
        if (n == 0)
            return;
        const bool pair = n >= 2 && line.at(n - 1).isLowSurrogate() && line.at(n - 2).isHighSurrogate();
        line.chop(pair ? 2 : 1);
    });
}

void LineList::lstrip()
{
    forEachLine([](QString& line) { line = lstripChars(line, StripSet); });
}

void LineList::rstrip()
{
    forEachLine([](QString& line) { line = rstripChars(line, StripSet); });
}

void LineList::strip()
{
    forEachLine([](QString& line) { line = line.trimmed(); });
}

void LineList::removeEmptyLines()
{
    m_stopRequested = false;
    EventPacer pacer([this] { return m_stopRequested; });
    // Compacting in one pass keeps this linear; removing in place would be quadratic.
    QStringList kept;
    kept.reserve(m_lines.size());
    int i = 0;
    const int n = m_lines.size();
    for (; i < n && !pacer.pollStop(); ++i) {
        if (!m_lines.at(i).trimmed().isEmpty())
            kept.append(m_lines.at(i));
    }
    // A stop keeps the unvisited lines as they were.
    for (; i < n; ++i)
        kept.append(m_lines.at(i));
    m_lines = kept;
}

void LineList::pad()
{
    int maxWidth = 0;
    const std::vector<int> widths = lineWidths(&maxWidth);
    int i = 0;
    forEachLine([&](QString& line) {
        const int d = maxWidth - widths[size_t(i++)];
        if (d > 0)
            line.append(QString(d, QLatin1Char(' ')));
    });
}

void LineList::align(AlignMode mode)
{
    strip();
    if (mode == AlignLeft || m_stopRequested)
        return;
    int maxWidth = 0;
    const std::vector<int> widths = lineWidths(&maxWidth);
    int i = 0;
    forEachLine([&](QString& line) {
        const int d = maxWidth - widths[size_t(i++)];
        if (d <= 0)
            return;
        if (mode == AlignRight) {
            line.prepend(QString(d, QLatin1Char(' ')));
        } else {
            const int left = d / 2;
            line = QString(left, QLatin1Char(' ')) + line + QString(d - left, QLatin1Char(' '));
        }
    });
}

void LineList::sort(SortKind kind, Qt::SortOrder order)
{
    if (m_lines.size() < 2)
        return;
    if (kind == SortText) {
        std::sort(m_lines.begin(), m_lines.end());
        if (order == Qt::DescendingOrder)
            reverse();
        return;
    }
    // Each key is converted once; the sort then moves only (key, index) pairs.
    const int n = m_lines.size();
    std::vector<std::pair<int, int>> keyed;
    keyed.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        bool ok = false;
        const int key = m_lines.at(i).toInt(&ok, 10);
        keyed.emplace_back(ok ? key : 0, i);
    }
    // Stable, so lines of equal value keep their order whichever way the sort goes.
    if (order == Qt::AscendingOrder)
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const std::pair<int, int>& a, const std::pair<int, int>& b) { return a.first < b.first; });
    else
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const std::pair<int, int>& a, const std::pair<int, int>& b) { return a.first > b.first; });
    QStringList sorted;
    sorted.reserve(n);
    for (const auto& entry : keyed)
        sorted.append(m_lines.at(entry.second));
    m_lines = sorted;
}

void LineList::shuffle()
{
    // Fisher-Yates: every order is equally likely.
    const int n = m_lines.size();
    QRandomGenerator* random = QRandomGenerator::global();
    for (int i = 0; i < n - 1; ++i) {
        const int j = i + int(random->bounded(quint32(n - i)));
        if (j != i)
            m_lines.swapItemsAt(i, j);
    }
}

void LineList::reverse()
{
    const int n = m_lines.size();
    for (int i = 0; i < n / 2; ++i)
        m_lines.swapItemsAt(i, n - 1 - i);
}
