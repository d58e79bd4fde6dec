#pragma once
// The progress panel that start-up steps write into while the splash shows.
// Every change is repainted at once, because the message loop is not running.

#include <QString>

class SplashStatus {
public:
    enum Step { Conectando = 0, Configuracao, Usuario, Atualizacao, Login };
    virtual ~SplashStatus() = default;
    virtual void setServidor(const QString& text) = 0; // LblServidor, upper line
    virtual void setExecutando(const QString& text) = 0; // LblExecutando, lower line
    // Shows picture `imageIndex` of the image list in the step's picture.
    virtual void setStepPicture(Step step, int imageIndex) = 0;
};

// Set while the splash exists (start-up only), null otherwise.
extern SplashStatus* FrmSplash;

// Write into the splash while it exists; nothing otherwise.
void splashServidor(const QString& text);
void splashExecutando(const QString& text);
void splashPicture(SplashStatus::Step step, int imageIndex);
