#include "engine/ValueFormat.h"

#include "editor/TextUtils.h"

#include <QStringList>

namespace {

QString escapeSql(const QString& value)
{
    QString out = value;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}

QString escapeCsv(const QString& value)
{
    bool quote = false;
    for (const QChar c : value) {
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            quote = true;
            break;
        }
    }
    if (!quote)
        return value;
    QString out = value;
    out.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QString escapeJson(const QString& value)
{
    QString out;
    out.reserve(value.size() + 8);
    for (const QChar c : value) {
        const ushort code = c.unicode();
        if (c == QLatin1Char('"') || c == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (code < 0x20) {
            out += QStringLiteral("\\u%1").arg(code, 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out;
}

// Characters XML 1.0 cannot hold at all, not even as a reference.
bool isXmlForbidden(ushort code)
{
    return (code < 0x20 && code != 0x09 && code != 0x0A && code != 0x0D) || code == 0xFFFE || code == 0xFFFF;
}

QString escapeXml(const QString& value)
{
    QString out;
    out.reserve(value.size() + 8);
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&apos;");
            break;
        // A reader turns a raw CR into LF; the reference keeps it.
        case '\r':
            out += QLatin1String("&#13;");
            break;
        default:
            out += isXmlForbidden(c.unicode()) ? QChar(QChar::ReplacementCharacter) : c;
        }
    }
    return out;
}

QString escapeShell(const QString& value)
{
    QString out = value;
    out.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

} // namespace

QString escapeValue(ValueEscape escape, const QString& value)
{
    switch (escape) {
    case ValueEscape::None:
        return value;
    case ValueEscape::Sql:
        return escapeSql(value);
    case ValueEscape::Csv:
        return escapeCsv(value);
    case ValueEscape::Json:
        return escapeJson(value);
    case ValueEscape::Xml:
        return escapeXml(value);
    case ValueEscape::Shell:
        return escapeShell(value);
    }
    return value;
}

QString padValue(const QString& value, int width, ValueFormat::Align align, QChar pad)
{
    const int missing = width - displayWidth(value);
    if (missing <= 0)
        return value;
    const QString fill(missing, pad);
    if (align == ValueFormat::AlignLeft)
        return value + fill;
    const bool signFirst = pad == QLatin1Char('0') && !value.isEmpty() &&
                           (value.at(0) == QLatin1Char('-') || value.at(0) == QLatin1Char('+'));
    if (signFirst)
        return value.at(0) + fill + value.mid(1);
    return fill + value;
}

QString ValueFormat::apply(const QString& value) const
{
    return escapeValue(escape, width > 0 ? padValue(value, width, align, pad) : value);
}

bool ValueFormat::operator==(const ValueFormat& other) const
{
    if (escape != other.escape || qMax(width, 0) != qMax(other.width, 0))
        return false;
    return width <= 0 || (align == other.align && pad == other.pad);
}

namespace {

struct EscapeName
{
    ValueEscape escape;
    const char* key;
};

constexpr EscapeName EscapeNames[] = {
    {ValueEscape::Sql, "sql"}, {ValueEscape::Csv, "csv"},     {ValueEscape::Json, "json"},
    {ValueEscape::Xml, "xml"}, {ValueEscape::Shell, "shell"},
};

} // namespace

QString escapeKey(ValueEscape escape)
{
    for (const EscapeName& name : EscapeNames) {
        if (name.escape == escape)
            return QLatin1String(name.key);
    }
    return QString();
}

ValueEscape escapeFromKey(const QString& key)
{
    for (const EscapeName& name : EscapeNames) {
        if (key == QLatin1String(name.key))
            return name.escape;
    }
    return ValueEscape::None;
}

QString formatKey(const ValueFormat& format)
{
    if (format.width <= 0)
        return QString();
    return QStringLiteral("%1,%2,%3")
        .arg(format.width)
        .arg(format.align == ValueFormat::AlignRight ? QLatin1String("right") : QLatin1String("left"))
        .arg(format.pad == QLatin1Char('0') ? QLatin1String("zero") : QLatin1String("space"));
}

void formatFromKey(const QString& key, ValueFormat* format)
{
    format->width = 0;
    format->align = ValueFormat::AlignLeft;
    format->pad = QLatin1Char(' ');
    const QStringList parts = key.split(QLatin1Char(','));
    if (parts.size() != 3)
        return;
    bool ok = false;
    const int width = parts.at(0).toInt(&ok);
    const bool left = parts.at(1) == QLatin1String("left");
    const bool zero = parts.at(2) == QLatin1String("zero");
    if (!ok || width <= 0 || width > ValueFormat::MaxWidth || (!left && parts.at(1) != QLatin1String("right")) ||
        (!zero && parts.at(2) != QLatin1String("space")))
        return;
    format->width = width;
    format->align = left ? ValueFormat::AlignLeft : ValueFormat::AlignRight;
    format->pad = zero ? QLatin1Char('0') : QLatin1Char(' ');
}
