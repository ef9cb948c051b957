#pragma once
// The logic layer's texts are single-byte strings in the system's code page; the widgets hold
// QStrings. These convert between the two.

#include <QString>

#include <string>

namespace hx::app {

inline QString fromBytes(const std::string& s)
{
    return QString::fromLocal8Bit(s.data(), qsizetype(s.size()));
}

inline std::string toBytes(const QString& s)
{
    return s.toLocal8Bit().toStdString();
}

// Texts of the system join lines with CR LF; the text controls want plain line feeds.
inline QString displayText(const std::string& s)
{
    return fromBytes(s).replace("\r\n", "\n");
}

} // namespace hx::app
