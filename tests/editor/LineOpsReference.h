#pragma once
// The line operations that run on editor bytes, each with its context-menu item and the LineList step
// that defines it, and the string path the byte-path tests hold them against.

#include "editor/ByteLineOps.h"
#include "editor/LineList.h"
#include "editor/TextBytes.h"
#include "editor/TextUtils.h"

#include <QStringList>

#include <functional>
#include <vector>

namespace LineOpsReference {

using Step = std::function<void(LineList&)>;

struct Op
{
    const char* name;
    const char* item; // "&Convert|&Upper": a submenu and its entry
    ByteLineOps::Operation op;
    Step step;
};

inline const std::vector<Op>& ops()
{
    using O = ByteLineOps::Operation;
    static const std::vector<Op> table = {
        {"upper", "&Convert|&Upper", O::Upper, &LineList::toUpper},
        {"lower", "&Convert|&Lower", O::Lower, &LineList::toLower},
        {"upperFirst", "&Convert|Upper First Character", O::UpperFirstChar, &LineList::upperFirstChar},
        {"lowerFirst", "&Convert|Lower First Character", O::LowerFirstChar, &LineList::lowerFirstChar},
        {"swapCase", "&Convert|&Swap Case", O::SwapCase, &LineList::swapCase},
        {"truncateLeft", "&Truncate|&Left with 1 character", O::TruncateLeft, &LineList::truncateLeft},
        {"truncateRight", "&Truncate|&Right with 1 character", O::TruncateRight, &LineList::truncateRight},
        {"lstrip", "&Strip|Left", O::LStrip, &LineList::lstrip},
        {"rstrip", "&Strip|Right", O::RStrip, &LineList::rstrip},
        {"strip", "&Strip|Left and Right", O::Strip, &LineList::strip},
        {"removeEmpty", "Remove Empty Lines", O::RemoveEmptyLines, &LineList::removeEmptyLines},
        {"pad", "Pad Space", O::Pad, &LineList::pad},
        {"alignLeft", "&Align|&Left", O::AlignLeft, [](LineList& l) { l.align(LineList::AlignLeft); }},
        {"alignRight", "&Align|&Right", O::AlignRight, [](LineList& l) { l.align(LineList::AlignRight); }},
        {"alignCenter", "&Align|&Center", O::AlignCenter, [](LineList& l) { l.align(LineList::AlignCenter); }},
        {"textUp", "Sort|Alphabetic Ascending", O::SortTextAscending,
         [](LineList& l) { l.sort(LineList::SortText, Qt::AscendingOrder); }},
        {"textDown", "Sort|Alphabetic Descending", O::SortTextDescending,
         [](LineList& l) { l.sort(LineList::SortText, Qt::DescendingOrder); }},
        {"numberUp", "Sort|Numberic Ascending", O::SortNumberAscending,
         [](LineList& l) { l.sort(LineList::SortNumber, Qt::AscendingOrder); }},
        {"numberDown", "Sort|Numberic Descending", O::SortNumberDescending,
         [](LineList& l) { l.sort(LineList::SortNumber, Qt::DescendingOrder); }},
        {"reverse", "Sort|Re&verse", O::Reverse, &LineList::reverse},
    };
    return table;
}

inline const Op& op(const char* name)
{
    for (const Op& o : ops()) {
        if (qstrcmp(o.name, name) == 0)
            return o;
    }
    qFatal("no line operation %s", name);
}

// The string path: the bytes cut at CR LF, CR and LF (the rest after the last break is a line too),
// each line decoded, the step, the lines joined with the editor's break and encoded again.
inline QByteArray stringPath(const Op& o, const QByteArray& bytes, EolFormat eol, bool unicode, bool* noLines = nullptr)
{
    QStringList lines;
    auto decode = [&](int from, int to) {
        return unicode ? decodeUtf8(bytes.constData() + from, to - from)
                       : QString::fromLatin1(bytes.constData() + from, to - from);
    };
    int start = 0;
    for (int i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c != '\n' && c != '\r')
            continue;
        lines.append(decode(start, i));
        if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    lines.append(decode(start, bytes.size()));
    LineList list(lines, eol, unicode);
    o.step(list);
    if (noLines)
        *noLines = list.lines().isEmpty();
    return encodeEditorText(list.joined(), unicode);
}

} // namespace LineOpsReference
