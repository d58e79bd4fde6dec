#include "app/ui/FrmSplash.h"

#include "support/ui/Imagem.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>

// The pictures are linked in from a static library, whose resources are
// registered only on request.
static void loadPictures()
{
    Q_INIT_RESOURCE(assets);
}

namespace {

QFont fontOf(const QString& family, int pixelHeight, bool bold = false)
{
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

void setTextColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// Where the intended font is missing, a wider one may stand in for it.
void shrinkToFit(QLabel* label)
{
    QFont font = label->font();
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(label->text()) > label->width())
        font.setPixelSize(font.pixelSize() - 1);
    label->setFont(font);
}

} // namespace

TFrmSplash::TFrmSplash(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    loadPictures();
    setObjectName(QStringLiteral("FrmSplash"));
    setWindowTitle(QStringLiteral("Splash"));
    setFixedSize(460, 340);
    setCursor(Qt::WaitCursor);
    setFont(fontOf(QStringLiteral("MS Sans Serif"), 11));
    // Never the window whose closing ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    const QPixmap background = imagem::carrega(QStringLiteral(":/splash/fundo.png"));
    Image1->setPixmap(background);
    Image1->setGeometry(0, 0, background.width(), background.height());

    LblTitulo = new QLabel(QStringLiteral("Sistema de Gestão de Notas e Registros"), this);
    LblTitulo->setObjectName(QStringLiteral("LblTitulo"));
    LblTitulo->setGeometry(38, 5, 384, 23);
    LblTitulo->setFont(fontOf(QStringLiteral("Tahoma"), 19, true));
    shrinkToFit(LblTitulo);
    setTextColour(LblTitulo, Qt::white);

    LblServidor = new QLabel(QStringLiteral("Conectando-se ao Servidor: "), this);
    LblServidor->setObjectName(QStringLiteral("LblServidor"));
    LblServidor->setGeometry(3, 194, 454, 15);
    LblServidor->setFont(fontOf(QStringLiteral("Verdana"), 11));
    setTextColour(LblServidor, Qt::white);

    ImgConectando = stepPicture(6, QStringLiteral("ImgConectando"));
    ImgConfiguracao = stepPicture(81, QStringLiteral("ImgConfiguracao"));
    ImgUsuario = stepPicture(156, QStringLiteral("ImgUsuario"));
    ImgAtualizacao = stepPicture(231, QStringLiteral("ImgAtualizacao"));
    ImgLogin = stepPicture(306, QStringLiteral("ImgLogin"));
    m_steps[Conectando] = ImgConectando;
    m_steps[Configuracao] = ImgConfiguracao;
    m_steps[Usuario] = ImgUsuario;
    m_steps[Atualizacao] = ImgAtualizacao;
    m_steps[Login] = ImgLogin;

    LblExecutando = new QLabel(QStringLiteral("Inicializando sistema"), this);
    LblExecutando->setObjectName(QStringLiteral("LblExecutando"));
    LblExecutando->move(6, 288);
    LblExecutando->setFont(fontOf(QStringLiteral("Verdana"), 9));
    setTextColour(LblExecutando, QApplication::palette().color(QPalette::Button));
    LblExecutando->adjustSize();

    for (int i = 0; i < 2 * StepCount; ++i)
        ImgLista.append(imagem::carrega(QStringLiteral(":/splash/passo%1.png").arg(i)));
}

QLabel* TFrmSplash::stepPicture(int left, const QString& name)
{
    auto* picture = new QLabel(this);
    picture->setObjectName(name);
    picture->setGeometry(left, 214, 70, 68);
    picture->setAlignment(Qt::AlignCenter);
    return picture;
}

void TFrmSplash::setServidor(const QString& text)
{
    LblServidor->setText(text);
    LblServidor->repaint();
}

void TFrmSplash::setExecutando(const QString& text)
{
    LblExecutando->setText(text);
    LblExecutando->adjustSize();
    // The label may have shrunk: the background under its old extent is redrawn too.
    repaint();
}

void TFrmSplash::setStepPicture(Step step, int imageIndex)
{
    if (step < 0 || step >= StepCount || imageIndex < 0 || imageIndex >= ImgLista.size())
        return;
    m_stepImage[step] = imageIndex;
    m_steps[step]->setPixmap(ImgLista[imageIndex]);
    m_steps[step]->repaint();
}

QString TFrmSplash::servidorText() const
{
    return LblServidor->text();
}

void TFrmSplash::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        centreOnScreen();
        FormShow();
    }
}

void TFrmSplash::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        FormDeactivate();
}

void TFrmSplash::FormShow()
{
    for (int step = 0; step < StepCount; ++step)
        setStepPicture(Step(step), 2 * step);
}

void TFrmSplash::FormDeactivate()
{
    // Only when another window of this program takes the focus, not when the
    // user switches to another program.
    QWidget* active = QApplication::activeWindow();
    if (active && active != this)
        hide();
}

void TFrmSplash::centreOnScreen()
{
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect area = rect();
        area.moveCenter(screen->geometry().center());
        move(area.topLeft());
    }
}
