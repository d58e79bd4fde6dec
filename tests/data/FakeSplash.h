#pragma once
// Records what start-up steps write on the splash, in order, as
// "S:<upper line>", "E:<lower line>" and "P:<step>:<picture>".

#include "support/SplashStatus.h"

#include <QStringList>
#include <functional>

class FakeSplash : public SplashStatus {
public:
    FakeSplash() { FrmSplash = this; }
    ~FakeSplash() override { FrmSplash = nullptr; }
    void setServidor(const QString& text) override { events << QStringLiteral("S:") + text; }
    void setExecutando(const QString& text) override
    {
        events << QStringLiteral("E:") + text;
        if (onExecutando)
            onExecutando(text);
    }
    void setStepPicture(Step step, int imageIndex) override
    {
        events << QStringLiteral("P:%1:%2").arg(int(step)).arg(imageIndex);
    }
    QStringList events;
    std::function<void(const QString&)> onExecutando;
};
