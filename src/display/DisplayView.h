#pragma once
// What the program changes on the display window. The window implements
// DisplayView; its methods are called on the window thread only: by the
// display session directly, and by the call walker through the DisplayGate
// hand-off.

#include <QString>

// One ticket call: ticket text (F-7), desk text (MESA 2), and "PREFERENCIAL"
// or empty. A call with three empty texts is the empty call.
struct TChamadaSenha {
    QString Senha;
    QString Mesa;
    QString Preferencial;
    bool operator==(const TChamadaSenha& o) const
    {
        return Senha == o.Senha && Mesa == o.Mesa && Preferencial == o.Preferencial;
    }
};

// The texts of one display update: the two big panels and the three rows of
// previous calls (row 1 first).
struct ScreenTexts {
    QString NumeroSenha; // PnlNumeroSenha
    QString NumeroMesa; // PnlNumeroMesa
    TChamadaSenha Linhas[3]; // LblUltSenhaN, LblUltMesaN, lblpPreferencialN
};

// The spoken call of the window's settings.
struct VoiceSettings {
    bool enabled = false;
    int wordsPerMinute = 150;
    int volume = 100; // percent
};

class DisplayView {
public:
    virtual ~DisplayView() = default;

    // What the walker changes.
    virtual void setPreferencialCaption(const QString& text) = 0; // PnlPreferencial
    virtual void setLocalCaption(const QString& text) = 0; // LblLocal
    virtual void setScreenTexts(const ScreenTexts& texts) = 0;
    virtual int outerWidth() const = 0; // the window's outer width in pixels
    virtual bool repetirSom() const = 0; // RepetirSom of the window's settings
    virtual VoiceSettings voice() const { return {}; }

    // What the session changes while it starts and ends the program.
    virtual QString title() const { return {}; }
    virtual void setTitle(const QString&) {}
    virtual void setOfficeName(const QString&) {} // PnlNomeCartorio
    // The design layout again: the scaling fields back to 800 x 600, the
    // call texts blanked, scaling off, and the outer size 800 x 600.
    virtual void resetLayout() {}
    // Scaling on, then maximised (the whole screen in kiosk mode).
    virtual void maximize() {}
    virtual void repaintNow() {}
    virtual void setBusy(bool) {} // the hourglass pointer while true
    virtual void closeView() {}
};
