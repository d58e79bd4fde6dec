#pragma once
// Binding of the suite's helper library VarloLib.dll, one operation per entry
// point. Every call loads the library from the program's directory, calls the
// entry point and releases the library again, also after a failure; only
// DescriptoGrafa can keep it loaded across a batch of calls.
// Failures raise Exception with the text the user sees.

#include <QString>

namespace GLibDll {

// Build information `item` of the file `target`; target "SELF" is the running executable.
QString GetBuildInfo(const QString& item, const QString& target);

// True when the released version is later than the build.
bool ExisteAtualizacao(const QString& released, const QString& build);

QString CriptoGrafa(const QString& text, quint16 key);

// Reverses CriptoGrafa. Mode 0 loads and releases the library around the call;
// 1 loads it and keeps it (with the entry point) for the calls that follow;
// 2 uses the kept library; 3 uses it, then releases it. Modes 2 and 3 load the
// library first when none is kept; any other mode acts as 0.
QString DescriptoGrafa(const QString& text, quint16 key, quint16 mode);

} // namespace GLibDll
