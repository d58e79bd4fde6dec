#include "support/SplashStatus.h"

SplashStatus* FrmSplash = nullptr;

void splashServidor(const QString& text)
{
    if (FrmSplash)
        FrmSplash->setServidor(text);
}

void splashExecutando(const QString& text)
{
    if (FrmSplash)
        FrmSplash->setExecutando(text);
}

void splashPicture(SplashStatus::Step step, int imageIndex)
{
    if (FrmSplash)
        FrmSplash->setStepPicture(step, imageIndex);
}
