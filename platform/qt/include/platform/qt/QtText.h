// Texts between the byte strings of the models and Qt's widgets.
//
// Every byte of a model text is shown as the Latin-1 character of the same
// value, so a text that goes into a widget and comes back is the same
// bytes. Characters a user types beyond Latin-1 come back as '?'.
//
// Edits are taken back as the part the user changed (EditBetween), so the
// bytes the user left alone keep their values even where the widget shows
// them differently (the line ends of multi-line edits).
#pragma once

#include "platform/CString.h"

#include <QString>

#include <vector>

namespace qtpresenter {

QString ToQt(const CString& text);
CString FromQt(const QString& text);
// Paths are not map texts: they go through the file system's encoding.
QString PathToQt(const CString& path);
CString PathFromQt(const QString& path);

// A model text as a widget shows it, with the model offset at which each
// shown character starts (and the model's length at the end).
struct ShownText {
    QString text;
    std::vector<int> modelOffset; // text.size() + 1 entries
};

// Single-line edits show every byte as it is.
ShownText ShowSingleLine(const CString& text);
// Multi-line edits show each line end of the model (CR LF, or a lone CR or
// LF) as one line break '\n'.
ShownText ShowMultiLine(const CString& text);

// What the user changed, in model terms: `removed` bytes at `start` give
// way to `inserted`.
struct ModelEdit {
    int start = 0;
    int removed = 0;
    CString inserted;
};

// The edit that turns the shown text into `after` (what the widget holds
// now). Line breaks the user typed into a multi-line edit become CR LF.
ModelEdit EditBetween(const ShownText& before, const QString& after, bool multiLine);

} // namespace qtpresenter
