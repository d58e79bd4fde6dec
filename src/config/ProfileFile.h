#pragma once
// Reader and writer of profile (INI) files with the classic private-profile
// rules the suite's files were written with:
// - section and key names are matched without regard to case, and the first
//   occurrence of a section or key wins;
// - a value is the text after the first "=" up to the line end; the blanks
//   around the key name and right after the "=" are dropped, everything else
//   (inner or trailing blanks, quotes) is kept as written;
// - the text is Windows-1252; CRLF and LF line ends are read alike;
// - a write replaces only that key's line, creating the file, the section or
//   the key when missing, and keeps every other byte and the file's line ends.
// Each call opens and releases the file itself; nothing is cached. A file is
// read as platform::readSmallFile reads it: one it refuses counts as missing.

#include <QString>

class ProfileFile {
public:
    explicit ProfileFile(QString path);

    const QString& path() const { return m_path; }

    // The value, or `defaultValue` when the file, section or key is missing.
    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;

    // Throws EIniFileException("Unable to write to " + path) when the file
    // cannot be written; the file is then left as it was.
    void writeString(const QString& section, const QString& key, const QString& value);

private:
    QString m_path;
};
