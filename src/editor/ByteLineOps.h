#pragma once
// The line operations of LineList run on the editor's bytes (UTF-8, or Latin-1 in ANSI mode) instead
// of one string a line: the lines are byte spans, sorts order (key, line) pairs and the result is
// gathered into one buffer. The output is the bytes LineList gives for the same lines; what is rare
// and hard in bytes (case mapping outside ASCII, numbers with non-ASCII characters) goes through a
// string for that line only. Events run at least every EventPacer interval, and a stop is honoured.

#include "engine/EventPacer.h"

#include <QByteArray>

#include <functional>

namespace ByteLineOps {

enum class Operation {
    Upper,
    Lower,
    UpperFirstChar,
    LowerFirstChar,
    SwapCase,
    TruncateLeft,
    TruncateRight,
    LStrip,
    RStrip,
    Strip,
    RemoveEmptyLines,
    Pad,
    AlignLeft,
    AlignRight,
    AlignCenter,
    SortTextAscending,
    SortTextDescending,
    SortNumberAscending,
    SortNumberDescending,
    Reverse,
    Shuffle,
};

enum class Outcome {
    // The result is in bytes. A stop during a per-line operation (case, truncate, strip, remove
    // empty lines, pad, align) ends it after the line in hand, as LineList does: the lines before
    // keep their result.
    Done,
    // Stopped during a sort, shuffle or reverse: there is no result and the text is to stay as it was.
    Stopped,
    // UTF-8 mode and bytes that are not strict UTF-8, which the string path turns into U+FFFD: only
    // LineList gives the right result. Decided before any event runs.
    NeedsStrings,
};

struct Result
{
    Outcome outcome = Outcome::Done;
    // The lines joined with the line break, without a break after the last one.
    QByteArray bytes;
    // True when no line is left (remove empty lines on blank lines only).
    bool noLines = false;
};

// Runs op on the lines of text: split at CR LF, LF and lone CR, the empty rest after a final break
// being a line too (an empty text is one empty line). eol is the break the result is joined with,
// unicode the editor's mode. stopRequested is asked when events have run; it may be empty. Events
// run at most every intervalMs, looked at every few hundred lines.
Result run(Operation op, const QByteArray& text, const QByteArray& eol, bool unicode,
           const std::function<bool()>& stopRequested = {}, int intervalMs = EventPacer::DefaultIntervalMs);

} // namespace ByteLineOps
