#pragma once
// Text file reading and writing for windows: failures are reported in a warning box titled
// "Error" when a parent window is given.

#include <QString>

class QWidget;

// Reads a whole text file (see readTextFile). A failure ("Invalid Text File." when it cannot be
// opened, or what else went wrong) gives an empty string; bytes that are not valid text are
// replaced and reported, and that text is returned. *loaded (when given) tells whether text was read.
QString loadTextFile(const QString& path, QWidget* parent = nullptr, bool* loaded = nullptr);
// Writes a text file (see writeTextFile); "Error occured while save to <path>" on failure.
bool saveTextFile(const QString& path, const QString& text, bool unicode, QWidget* parent = nullptr);
