#include "platform/qt/QtText.h"

#include <QFile>

#include <algorithm>

namespace qtpresenter {

QString ToQt(const CString& text)
{
    const std::string& bytes = text.Bytes();
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

CString FromQt(const QString& text)
{
    QByteArray bytes = text.toLatin1();
    return CString(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

QString PathToQt(const CString& path)
{
    const std::string& bytes = path.Bytes();
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

CString PathFromQt(const QString& path)
{
    QByteArray bytes = QFile::encodeName(path);
    return CString(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

ShownText ShowSingleLine(const CString& text)
{
    ShownText shown;
    shown.text = ToQt(text);
    shown.modelOffset.resize(static_cast<size_t>(text.GetLength()) + 1);
    for (size_t i = 0; i < shown.modelOffset.size(); ++i) shown.modelOffset[i] = static_cast<int>(i);
    return shown;
}

ShownText ShowMultiLine(const CString& text)
{
    const std::string& bytes = text.Bytes();
    ShownText shown;
    shown.text.reserve(static_cast<qsizetype>(bytes.size()));
    shown.modelOffset.reserve(bytes.size() + 1);
    for (size_t i = 0; i < bytes.size(); ++i) {
        shown.modelOffset.push_back(static_cast<int>(i));
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            shown.text += QLatin1Char('\n');
        } else {
            shown.text += QChar(static_cast<unsigned char>(c));
        }
    }
    shown.modelOffset.push_back(static_cast<int>(bytes.size()));
    return shown;
}

ModelEdit EditBetween(const ShownText& before, const QString& after, bool multiLine)
{
    const QString& old = before.text;
    qsizetype oldLength = old.size(), newLength = after.size();
    qsizetype prefix = 0;
    while (prefix < oldLength && prefix < newLength && old[prefix] == after[prefix]) ++prefix;
    qsizetype suffix = 0;
    while (suffix < oldLength - prefix && suffix < newLength - prefix &&
           old[oldLength - 1 - suffix] == after[newLength - 1 - suffix])
        ++suffix;

    ModelEdit edit;
    edit.start = before.modelOffset[static_cast<size_t>(prefix)];
    edit.removed = before.modelOffset[static_cast<size_t>(oldLength - suffix)] - edit.start;
    std::string inserted;
    for (qsizetype i = prefix; i < newLength - suffix; ++i) {
        char16_t c = after[i].unicode();
        bool lineBreak = c == u'\n' || c == u'\r' || c == 0x2029 || c == 0x2028;
        if (multiLine && lineBreak) inserted += "\r\n";
        else inserted += c <= 0xFF ? static_cast<char>(c) : '?';
    }
    edit.inserted = CString(std::move(inserted));
    return edit;
}

} // namespace qtpresenter
