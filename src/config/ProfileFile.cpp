#include "config/ProfileFile.h"

#include "base/Errors.h"
#include "base/Windows1252.h"
#include "platform/Platform.h"

#include <QFileInfo>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(const QByteArray& text)
{
    int begin = 0;
    int end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// One line of the file: its bytes without the line end, and the line end.
struct Line {
    QByteArray text;
    QByteArray end;
};

QList<Line> splitLines(const QByteArray& bytes)
{
    QList<Line> lines;
    int start = 0;
    while (start < bytes.size()) {
        const int nl = bytes.indexOf('\n', start);
        if (nl < 0) {
            lines.append({bytes.mid(start), QByteArray()});
            break;
        }
        Line line{bytes.mid(start, nl - start), QByteArrayLiteral("\n")};
        if (line.text.endsWith('\r')) {
            line.text.chop(1);
            line.end = QByteArrayLiteral("\r\n");
        }
        lines.append(line);
        start = nl + 1;
    }
    return lines;
}

// The section name of a header line, or a null text when the line is no header.
QString sectionOf(const QByteArray& line)
{
    const QByteArray trimmed = trimBlanks(line);
    if (!trimmed.startsWith('['))
        return QString();
    int close = trimmed.indexOf(']');
    if (close < 0)
        close = trimmed.size();
    const QString name = decodeWindows1252(trimBlanks(trimmed.mid(1, close - 1)));
    return name.isNull() ? QStringLiteral("") : name;
}

// The key name of a key line, or a null text for comments and other lines.
QString keyOf(const QByteArray& line, QByteArray* value = nullptr)
{
    const int eq = line.indexOf('=');
    if (eq < 0)
        return QString();
    const QByteArray key = trimBlanks(line.left(eq));
    if (key.isEmpty() || key.startsWith(';'))
        return QString();
    if (value) {
        int begin = eq + 1;
        while (begin < line.size() && isBlank(line.at(begin)))
            ++begin;
        *value = line.mid(begin);
    }
    return decodeWindows1252(key);
}

bool sameName(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

[[noreturn]] void failWrite(const QString& path)
{
    throw EIniFileException(QStringLiteral("Unable to write to ") + path);
}

} // namespace

ProfileFile::ProfileFile(QString path) : m_path(std::move(path))
{}

QString ProfileFile::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const std::optional<QByteArray> bytes = platform::readSmallFile(m_path);
    if (!bytes)
        return defaultValue;
    const QList<Line> lines = splitLines(*bytes);

    bool sectionSeen = false;
    bool inSection = false;
    for (const Line& line : lines) {
        const QString header = sectionOf(line.text);
        if (!header.isNull()) {
            if (sectionSeen)
                break; // only the first section of that name counts
            inSection = sameName(header, section);
            sectionSeen = inSection;
            continue;
        }
        if (!inSection)
            continue;
        QByteArray value;
        if (sameName(keyOf(line.text, &value), key))
            return decodeWindows1252(value);
    }
    return defaultValue;
}

void ProfileFile::writeString(const QString& section, const QString& key, const QString& value)
{
    const QFileInfo info(m_path);
    QByteArray original;
    if (info.exists()) {
        // A file without any write permission is read-only even for a user
        // that could replace it, like the read-only attribute of the suite's
        // other platform.
        constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (!info.isFile() || !(info.permissions() & anyWrite) || !info.isWritable())
            failWrite(m_path);
        const std::optional<QByteArray> bytes = platform::readSmallFile(m_path);
        if (!bytes)
            failWrite(m_path);
        original = *bytes;
    }

    QList<Line> lines = splitLines(original);
    const QByteArray lineEnd =
        original.contains('\n') && !original.contains("\r\n") ? QByteArrayLiteral("\n") : QByteArrayLiteral("\r\n");
    const QByteArray newLine = encodeWindows1252(key) + '=' + encodeWindows1252(value);

    // Locate the first section of that name and, in it, the first line of the
    // key and the last line that is not blank.
    int sectionLine = -1;
    int keyLine = -1;
    int lastContent = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const QString header = sectionOf(lines[i].text);
        if (!header.isNull()) {
            if (sectionLine >= 0)
                break;
            if (sameName(header, section)) {
                sectionLine = i;
                lastContent = i;
            }
            continue;
        }
        if (sectionLine < 0)
            continue;
        if (!trimBlanks(lines[i].text).isEmpty())
            lastContent = i;
        if (keyLine < 0 && sameName(keyOf(lines[i].text), key))
            keyLine = i;
    }

    if (keyLine >= 0) {
        lines[keyLine].text = newLine;
    } else {
        // A last line without an end gets one before anything follows it.
        if (!lines.isEmpty() && lines.last().end.isEmpty())
            lines.last().end = lineEnd;
        if (sectionLine >= 0) {
            lines.insert(lastContent + 1, {newLine, lineEnd});
        } else {
            lines.append({'[' + encodeWindows1252(section) + ']', lineEnd});
            lines.append({newLine, lineEnd});
        }
    }

    QByteArray bytes;
    for (const Line& line : lines)
        bytes += line.text + line.end;

    // The new text replaces the old only once it is whole on the disk, so a
    // failure (a full disk) never leaves a cut or empty file.
    if (!platform::replaceFileContents(m_path, bytes))
        failWrite(m_path);
}
