#include "display/ui/FrmPrincipal.h"

#include "display/ui/Rounding.h"
#include "platform/Platform.h"
#include "support/Clock.h"
#include "support/SegundosInteiros.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTimer>

namespace {
const QColor kAmarelo(0xFF, 0xFF, 0x00);
const QColor kVerde(0x00, 0xFF, 0x00);
}

TFrmPrincipal::TFrmPrincipal(QWidget* parent, Inicio inicio)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_inicio(inicio)
{
    setObjectName(QStringLiteral("FrmPrincipal"));

    QPalette cores = palette();
    cores.setColor(QPalette::Window, cores.color(QPalette::Button));
    setPalette(cores);
    setAutoFillBackground(true);
    QFont fonteJanela(QStringLiteral("MS Sans Serif"));
    fonteJanela.setPixelSize(11);
    setFont(fonteJanela);
    setWindowTitle(QString());
    move(283, 136);
    resize(784, 562);

    CriaComponentes();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    alinhaAoSegundo(*Timer1, Timer1->interval());
    connect(Timer1, &QTimer::timeout, this, &TFrmPrincipal::Timer1Timer);
    Timer1->start();

    FormCreate();
}

void TFrmPrincipal::FormResize()
{
    if (RedimensionarAtivo)
        RedimensionaComponentes();
    RedimensionarAtivo = true;
    const QSize externo = frameGeometry().size();
    LarguraAnterior = externo.width();
    AlturaAnterior = externo.height();
}

// Scales every panel and label from the previous outer size to the current
// one. Aligned panels then take their place again, so only their size across
// the alignment keeps the scaled value.
void TFrmPrincipal::RedimensionaComponentes()
{
    const QSize externo = frameGeometry().size();
    const int w = externo.width();
    const int h = externo.height();
    if (LarguraAnterior <= 0 || AlturaAnterior <= 0)
        return;
    for (TControl* c : m_componentes) {
        const QRect g = c->geometry();
        const int largura = scaleHalfEven(g.width(), w, LarguraAnterior);
        const int altura = scaleHalfEven(g.height(), h, AlturaAnterior);
        const int esquerda = scaleHalfEven(g.left(), w, LarguraAnterior);
        const int topo = scaleHalfEven(g.top(), h, AlturaAnterior);
        c->setGeometry(esquerda, topo, qMax(0, largura), qMax(0, altura));
    }
    TControl::realignTree(this);
    setTamanhoFonte(scaleHalfEven(m_tamanhoFonte, h, AlturaAnterior));
}

void TFrmPrincipal::setTamanhoFonte(int points)
{
    m_tamanhoFonte = points;
    QFont fonteJanela = font();
    fonteJanela.setPixelSize(qMax(1, (points * 96 + 36) / 72));
    setFont(fonteJanela);
}

void TFrmPrincipal::LimpaTodosLabelSenha()
{
    TControl* const chamadas[] = {PnlNumeroSenha, PnlNumeroMesa, LblUltSenha1, LblUltMesa1,
                                  LblUltSenha2, LblUltMesa2, LblUltSenha3, LblUltMesa3,
                                  lblpPreferencial1, lblpPreferencial2, lblpPreferencial3};
    for (TControl* c : chamadas)
        c->setCaption(QString());
}

// Every second: the clock, and the blink of the priority marker while it shows.
void TFrmPrincipal::Timer1Timer()
{
    platform::RegionalSettings* regional = platform::services().regional;
    const QString formato = regional ? regional->longTimeFormat() : QStringLiteral("HH:mm:ss");
    PnlHorario->setCaption(programClock().now().toString(formato));

    if (PnlPreferencial->caption().isEmpty())
        return;
    if (PnlPreferencial->tag() == 0) {
        PnlPreferencial->setFontColor(kAmarelo);
        PnlPreferencial->setTag(1);
    } else if (PnlPreferencial->tag() == 1) {
        PnlPreferencial->setFontColor(kVerde);
        PnlPreferencial->setTag(0);
    }
}

TControl* TFrmPrincipal::componente(const QString& componentName) const
{
    for (TControl* c : m_componentes) {
        if (c->objectName() == componentName)
            return c;
    }
    return nullptr;
}

QString TFrmPrincipal::captionOf(const QString& componentName) const
{
    const TControl* c = componente(componentName);
    return c ? c->caption() : QString();
}

void TFrmPrincipal::setCaptionOf(const QString& componentName, const QString& text)
{
    if (TControl* c = componente(componentName))
        c->setCaption(text);
}

// Sets the outer size; the frame is known only once the window is on screen.
void TFrmPrincipal::setTamanhoExterno(int width, int height)
{
    const QSize moldura = frameGeometry().size() - size();
    resize(width - moldura.width(), height - moldura.height());
    TControl::realignTree(this);
}

// Activation runs the window's handler the first time and whenever the window
// takes the focus back from another window of the program (the configuration
// dialog, a message box); switching to and from other programs does not.
bool TFrmPrincipal::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate)
        m_ativacaoInterna = QApplication::activeWindow() != nullptr;
    if (event->type() == QEvent::WindowActivate && (PrimeiraAtivacao || m_ativacaoInterna)) {
        m_ativacaoInterna = false;
        FormActivate();
    }
    return QWidget::event(event);
}

void TFrmPrincipal::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    TControl::realignTree(this);
    FormResize();
}

void TFrmPrincipal::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFrmPrincipal::closeEvent(QCloseEvent* event)
{
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose)
        event->accept();
    else
        event->ignore();
}
