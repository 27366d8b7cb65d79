#pragma once
// Per-column escaping and formatting of values: what a column's value goes through after its line
// is read and before it is put into a record. The default (no escape, no width) changes nothing,
// and a column with the default is merged exactly as it always was.

#include <QChar>
#include <QString>

enum class ValueEscape { None, Sql, Csv, Json, Xml, Shell };

struct ValueFormat
{
    enum Align { AlignLeft, AlignRight };

    ValueEscape escape = ValueEscape::None;
    // Pads a value to this many character cells; 0 leaves it as it is. Longer values are kept whole.
    int width = 0;
    Align align = AlignLeft;
    // ' ' or '0'.
    QChar pad = QLatin1Char(' ');

    bool isDefault() const { return escape == ValueEscape::None && width <= 0; }
    // The padded value, then escaped, so that padding sits inside a quoted value.
    QString apply(const QString& value) const;

    bool operator==(const ValueFormat& other) const;
    bool operator!=(const ValueFormat& other) const { return !(*this == other); }

    // The widest format accepted, in character cells.
    static constexpr int MaxWidth = 4096;
};

QString escapeValue(ValueEscape escape, const QString& value);
// Pads to width character cells (wide characters take two, as the line operations' pad counts);
// zeros go after a leading sign when right-aligned.
QString padValue(const QString& value, int width, ValueFormat::Align align, QChar pad);

// Names stored in template files: "sql", "csv", "json", "xml", "shell"; None has no name.
// Anything else reads as None.
QString escapeKey(ValueEscape escape);
ValueEscape escapeFromKey(const QString& key);
// "<width>,<left|right>,<space|zero>", for example "8,right,zero"; empty for no width. Anything
// that does not parse reads as no width.
QString formatKey(const ValueFormat& format);
void formatFromKey(const QString& key, ValueFormat* format);
