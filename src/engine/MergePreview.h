#pragma once
// The first records of a merge, for the live preview under the template. The columns are read
// through a cap on their line count, so a preview costs the same on a column of a million lines
// as on a short one, and the text is cut after its first lines.

#include <QList>
#include <QString>

class MergeColumn;

namespace MergePreview {

constexpr int MaxLines = 20;
// Enough for the preview's lines however long the template; a longer preview is cut there.
constexpr int MaxLength = 1 << 20;

// The merge of the columns into the template (records joined by lineBreak when multiLine is on,
// by nothing otherwise), cut after maxLines lines. Lets no events run: it is over in moments.
QString build(const QList<MergeColumn*>& columns, const QString& templateText, const QString& lineBreak, bool multiLine,
              int maxLines = MaxLines);

// The text up to (not including) the line break that ends its maxLines-th line; CR LF, LF and CR
// all end a line.
QString firstLines(const QString& text, int maxLines);

} // namespace MergePreview
