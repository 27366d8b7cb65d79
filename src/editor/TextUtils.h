#pragma once
// Line endings and the small text helpers shared by the editors, the line operations, the columns
// and the column tools: line splitting, character-cell widths, stripping, case swapping and text
// file reading and writing.

#include <QByteArray>
#include <QString>
#include <QStringList>

enum EolFormat {
    EolWindows = 0, // CR LF
    EolUnix = 1,    // LF
    EolMac = 2      // CR
};

// Line break of a format; any value other than Windows and Unix behaves as Mac.
QString eolString(EolFormat format);
// Display name of a format: "Windows", "Unix/OSX" or "Mac".
QString eolName(EolFormat format);

// Width in character cells (0, 1 or 2) of one UTF-16 unit.
int charWidth(QChar c);
// Sum of charWidth over the string's UTF-16 units.
int displayWidth(const QString& text);

// Splits at CR LF, LF and lone CR. An empty text gives no lines; a text that ends with a line
// break gives no line for the empty rest after it. Every other character stays in its line (NUL
// and byte-order marks included), so the lines joined with their breaks give back the text.
QStringList splitTextLines(const QString& text);

// Remove the leading / trailing run of characters that occur in chars.
QString lstripChars(const QString& text, const QString& chars);
QString rstripChars(const QString& text, const QString& chars);

// Swaps upper and lower case, unit by unit.
QString swapCaseText(const QString& text);

// Splits at every occurrence of separator, adding one empty string for each separator:
// "a,,b" at "," gives "a", "", "", "b". Empty when disabled or when separator is empty.
QStringList splitKeepSeparators(const QString& text, const QString& separator, bool enabled);

// Reads a whole text file, honouring a byte-order mark (UTF-8, UTF-16, UTF-32); without one the
// locale's encoding is used. Line breaks are kept. Sets *ok (when given) to whether the file could be
// read; an unreadable file gives an empty string.
QString readTextFile(const QString& path, bool* ok = nullptr);
// Writes text as UTF-8 (unicode) or Latin-1 ("?" for characters outside it), without a byte-order
// mark, through writeFileBytes. Returns false on failure.
bool writeTextFile(const QString& path, const QString& text, bool unicode);
// Makes bytes the whole content of path. A new or regular file is replaced only once everything is
// written, so a failed write leaves the old content as it was; where its folder takes no scratch file,
// or the file has other hard links or another owner, it is written in place so that it stays the same
// file. A device, FIFO or other special file is written straight through and keeps its node. Returns
// false on failure.
bool writeFileBytes(const QString& path, const QByteArray& bytes);
