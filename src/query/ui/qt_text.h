// The UI edge of the program's texts: code page 936 inside, QString in the widgets.
#pragma once

#include "web/text.h"

#include <QString>

namespace tolvane {

inline QString ToQString(const Text& gbk) {
    return QString::fromStdString(ToUtf8(gbk));
}

inline Text FromQString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return Gbk(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

// An edit box holds LF line ends; the program's lists are CR LF.
inline Text FromEditText(const QString& text) {
    QString crlf = text;
    crlf.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return FromQString(crlf);
}

inline QString ToEditText(const Text& gbk) {
    QString text = ToQString(gbk);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

} // namespace tolvane
