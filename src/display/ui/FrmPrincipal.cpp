#include "display/ui/FrmPrincipal.h"

#include "base/Clock.h"
#include "base/SegundosInteiros.h"
#include "display/ui/Rounding.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QMenu>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include <cstdio>

namespace {
const QColor kAmarelo(0xFF, 0xFF, 0x00);
const QColor kVerde(0x00, 0xFF, 0x00);
} // namespace

TFrmPrincipal::TFrmPrincipal(QWidget* parent, Start start)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
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

    m_session = std::make_unique<DisplaySession>(
        *this, start == Start::WithDatabases ? DisplaySession::Databases::Connect : DisplaySession::Databases::None);
    FormCreate();
}

TFrmPrincipal::~TFrmPrincipal() = default;

void TFrmPrincipal::replaceSession(DisplaySession::Databases databases)
{
    // The old session's walkers are released and its modules freed before
    // the new one connects.
    m_session.reset();
    m_session = std::make_unique<DisplaySession>(*this, databases);
    m_session->setKiosk(m_kiosk);
    FormCreate();
}

void TFrmPrincipal::FormCreate()
{
    m_session->create();
}

void TFrmPrincipal::FormShow()
{
    m_session->firstShow();
}

void TFrmPrincipal::FormActivate()
{
    m_session->activate();
}

void TFrmPrincipal::FormCloseQuery(bool& canClose)
{
    m_session->closeQuery(canClose);
}

void TFrmPrincipal::ipodeSenhasChamadas1Click()
{
    Q_EMIT configuracaoSolicitada();
    m_session->pauseForConfiguration(showConfiguration);
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
    TControl* const chamadas[] = {PnlNumeroSenha,    PnlNumeroMesa,     LblUltSenha1,     LblUltMesa1,
                                  LblUltSenha2,      LblUltMesa2,       LblUltSenha3,     LblUltMesa3,
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

TControl* TFrmPrincipal::findComponent(const QString& componentName) const
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

// Sets the outer size; the frame is known only once the window is on screen.
void TFrmPrincipal::setOuterSize(int width, int height)
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
        m_activatedFromOwnWindow = QApplication::activeWindow() != nullptr;
    if (event->type() == QEvent::WindowActivate && (m_session->PrimeiraAtivacao || m_activatedFromOwnWindow)) {
        m_activatedFromOwnWindow = false;
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

void TFrmPrincipal::setQuiosque(const KioskOptions& quiosque)
{
    m_kiosk = quiosque;
    m_session->setKiosk(quiosque);
    if (!quiosque.enabled)
        return;
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setCursor(Qt::BlankCursor);
}

// Maximises the window; where no window manager does it, the window takes the
// screen's available area itself.
void TFrmPrincipal::maximize()
{
    RedimensionarAtivo = true;
    if (m_kiosk.enabled)
        return fullScreen();
    setWindowState(windowState() | Qt::WindowMaximized);
    QTimer::singleShot(500, this, [this] {
        const QRect area = screen()->availableGeometry();
        if (isMaximized() && frameGeometry().size() != area.size())
            setGeometry(area.adjusted(0, 0, size().width() - frameGeometry().width(),
                                      size().height() - frameGeometry().height()));
    });
}

// Where no window manager applies the full-screen state, the window takes the
// whole screen itself.
void TFrmPrincipal::fullScreen()
{
    setWindowState(windowState() | Qt::WindowFullScreen);
    QTimer::singleShot(500, this, [this] {
        const QRect tela = screen()->geometry();
        if (frameGeometry() != tela)
            setGeometry(tela);
    });
}

void TFrmPrincipal::resetLayout()
{
    LarguraAnterior = 800;
    AlturaAnterior = 600;
    LimpaTodosLabelSenha();
    RedimensionarAtivo = false;
    setOuterSize(800, 600);
}

QString TFrmPrincipal::title() const
{
    return windowTitle();
}

void TFrmPrincipal::setTitle(const QString& text)
{
    setWindowTitle(text);
}

void TFrmPrincipal::setOfficeName(const QString& text)
{
    PnlNomeCartorio->setCaption(text);
}

void TFrmPrincipal::repaintNow()
{
    repaint();
}

void TFrmPrincipal::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TFrmPrincipal::closeView()
{
    close();
}

void TFrmPrincipal::setPreferencialCaption(const QString& text)
{
    PnlPreferencial->setCaption(text);
}

void TFrmPrincipal::setLocalCaption(const QString& text)
{
    LblLocal->setCaption(text);
}

void TFrmPrincipal::setScreenTexts(const ScreenTexts& texts)
{
    // The benchmark of new calls (bench/chamadas) times each call from this line.
    static const bool trace = qEnvironmentVariableIsSet("MONITOR_RASTRO_TELA");
    if (trace && !texts.NumeroSenha.isEmpty())
        std::fprintf(stderr, "tela %lld %s\n", QDateTime::currentMSecsSinceEpoch(),
                     texts.NumeroSenha.toUtf8().constData());
    PnlNumeroSenha->setCaption(texts.NumeroSenha);
    PnlNumeroMesa->setCaption(texts.NumeroMesa);
    TLabel* const senhas[] = {LblUltSenha1, LblUltSenha2, LblUltSenha3};
    TLabel* const mesas[] = {LblUltMesa1, LblUltMesa2, LblUltMesa3};
    TLabel* const preferenciais[] = {lblpPreferencial1, lblpPreferencial2, lblpPreferencial3};
    for (int i = 0; i < 3; ++i) {
        senhas[i]->setCaption(texts.Linhas[i].Senha);
        mesas[i]->setCaption(texts.Linhas[i].Mesa);
        preferenciais[i]->setCaption(texts.Linhas[i].Preferencial);
    }
}

int TFrmPrincipal::outerWidth() const
{
    return frameGeometry().width();
}

bool TFrmPrincipal::repetirSom() const
{
    return m_session->Configuracao.RepetirSom;
}

VoiceSettings TFrmPrincipal::voice() const
{
    const TConfigMonitor& settings = m_session->Configuracao;
    return {settings.Voz, settings.VozVelocidade, settings.VozVolume};
}
