#include "display/ChamaSenha.h"

#include "base/Errors.h"
#include "display/EsperaChamada.h"
#include "platform/Platform.h"
#include "support/ManipulaExcecoes.h"

namespace {

QString asText(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

// Failures raised by the data access or the display are Exception; anything
// else still ends the walker with a readable text.
QString messageOf(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Exception& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Erro desconhecido");
    }
}

bool lostConnection(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return isCommunicationFailure(e);
    } catch (...) {
        return false;
    }
}

} // namespace

ThChamaSenha::ThChamaSenha(WalkerSetup setup, QObject* parent) : QThread(parent), m_setup(std::move(setup))
{}

void ThChamaSenha::run()
{
    // The clock and the window keep ahead of the walker on a busy machine.
    if (auto* threads = platform::services().threads)
        threads->lowerCurrentThread();
    try {
        Execute();
        m_fim = Fim::Parada;
        return;
    } catch (const DisplayClosed&) {
        m_fim = Fim::JanelaFechada;
        return;
    } catch (...) {
        const QString message = messageOf(std::current_exception());
        // Marked before the message shows, so that an activation of the
        // window after the message knows that this walker is ending.
        m_fim = Fim::Falha;
        const auto onLostConnection =
            lostConnection(std::current_exception()) ? m_setup.onLostConnection : std::function<void(const QString&)>();
        try {
            m_setup.display->call([message, onLostConnection](DisplayView&) {
                if (onLostConnection)
                    onLostConnection(message);
                else
                    platform::services().boxes->show(message, QStringLiteral("Monitor de Senhas"), platform::BoxPlain);
            });
        } catch (...) {
            m_fim = Fim::JanelaFechada;
        }
    }
}

// The flag is read only while the window is there: a query may return after
// the window has gone, and then the walker ends quietly.
bool ThChamaSenha::parar() const
{
    if (m_setup.display->isClosed())
        throw DisplayClosed();
    return m_setup.stopRequested->load();
}

void ThChamaSenha::Execute()
{
    DisplayLink& display = *m_setup.display;
    EsperaChamada::Modo modo;
    modo.imediata = m_setup.immediateCalls;
    modo.voz = m_setup.spoken;
    modo.intervalo = m_setup.rereadMs;
    modo.anuncioMaximo = m_setup.announcementMaxMs;
    EsperaChamada espera(*m_setup.source, display, modo, *m_setup.clock);

    m_quadro.novoInicio();
    while (!parar()) {
        m_quadro.limpaAtual();
        // The window's changes of a step go over in one hand-off, in their
        // order: one wake-up of each thread instead of one per change.
        display.call([this](DisplayView& view) {
            view.setPreferencialCaption(QString());
            m_quadro.AtualizaTela(view);
        });
        m_setup.source->close();
        if (!display.sleepFor(m_setup.blankMs))
            throw DisplayClosed();

        const QDate data = m_setup.referenceDate();
        espera.novaPassagem(m_setup.source->open(data), data);
        while (espera.temProxima()) {
            if (parar())
                return;
            mostraChamada(espera.proxima());
            // A negative time would be an endless pause: it counts as none.
            espera.espera(qMax(0, m_setup.perCallMs->load()));
        }
    }
}

void ThChamaSenha::mostraChamada(const TicketRow& row)
{
    DisplayLink& display = *m_setup.display;
    const QString local = asText(row.LOCAL_ATEND).trimmed();
    TChamadaSenha chamada;
    chamada.Senha = asText(row.SIGLA_SENHA) + QLatin1Char('-') + asText(row.NUMERO_SENHA);
    chamada.Mesa = local + QLatin1Char(' ') + asText(row.NUMERO_MESA).trimmed();
    // 0 marks a priority ticket; a null reads as 0.
    chamada.Preferencial = row.PREFERENCIAL.toInt() == 0 ? QStringLiteral("PREFERENCIAL") : QString();
    m_quadro.chama(chamada);

    const QString localCaption = QLatin1Char(' ') + local;
    display.call([this, localCaption, preferencial = chamada.Preferencial](DisplayView& view) {
        view.setLocalCaption(localCaption);
        view.setPreferencialCaption(preferencial);
        m_quadro.AtualizaTela(view);
    });
}
