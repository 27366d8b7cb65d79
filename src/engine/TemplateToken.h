#pragma once
// One piece of a cut-up template: a literal text, or a reference to a column whose value goes in
// its place.

#include <QString>

struct TemplateToken
{
    QString text;    // the literal; empty for a reference
    int column = -1; // index in the column list the template was cut with; -1 for a literal

    bool isColumn() const { return column >= 0; }

    static TemplateToken literal(const QString& text) { return TemplateToken{text, -1}; }
    static TemplateToken reference(int column) { return TemplateToken{QString(), column}; }

    bool operator==(const TemplateToken& other) const { return column == other.column && text == other.text; }
    bool operator!=(const TemplateToken& other) const { return !(*this == other); }
};
