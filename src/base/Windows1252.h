#pragma once
// The Windows-1252 code page of the installation's files and stored texts.

#include <QByteArray>
#include <QString>

QString decodeWindows1252(const QByteArray& bytes);
// Characters outside the code page become "?".
QByteArray encodeWindows1252(const QString& text);
