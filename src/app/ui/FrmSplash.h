#pragma once
// The splash window: the progress panel of the start-up work.

#include "support/SplashStatus.h"

#include <QList>
#include <QPixmap>
#include <QWidget>

class QLabel;

class TFrmSplash : public QWidget, public SplashStatus {
    Q_OBJECT
public:
    static constexpr int StepCount = 5;

    explicit TFrmSplash(QWidget* parent = nullptr);

    void setServidor(const QString& text) override;
    void setExecutando(const QString& text) override;
    void setStepPicture(Step step, int imageIndex) override;

    // Picture of ImgLista that the step shows; -1 before any.
    int stepImageIndex(Step step) const { return m_stepImage[step]; }
    QString servidorText() const;
    int imageCount() const { return int(ImgLista.size()); }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormShow();
    void FormDeactivate();
    void centreOnScreen();
    QLabel* stepPicture(int left, const QString& name);

    QLabel* Image1 = nullptr;
    QLabel* LblTitulo = nullptr;
    QLabel* LblServidor = nullptr;
    QLabel* ImgConectando = nullptr;
    QLabel* ImgConfiguracao = nullptr;
    QLabel* ImgUsuario = nullptr;
    QLabel* ImgAtualizacao = nullptr;
    QLabel* ImgLogin = nullptr;
    QLabel* LblExecutando = nullptr;
    QList<QPixmap> ImgLista;
    QLabel* m_steps[StepCount] = {};
    int m_stepImage[StepCount] = {-1, -1, -1, -1, -1};
};
