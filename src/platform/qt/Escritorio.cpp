#include "platform/qt/Escritorio.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include "platform/qt/TextoQt.h"

namespace koral {

namespace {

class EscritorioQt : public Escritorio {
public:
    void cajaMensaje(const std::string& titulo, const std::string& texto) override {
        mostrar(aQString(titulo), aQString(texto));
    }
    void cajaMensajeUtf8(const std::string& titulo, const std::string& texto) override {
        mostrar(aQString(titulo), QString::fromUtf8(texto));
    }
    bool abrirConSistema(const std::string& ruta) override {
        const QString archivo = QString::fromUtf8(ruta);
        // Qt answers "opened" whenever xdg-open starts, even when no program
        // takes the file's type: ask the desktop database first. No answer
        // (no database, a type it cannot tell) is no program either.
        const QString tipo = preguntar({"query", "filetype", archivo});
        if (tipo.isEmpty() || preguntar({"query", "default", tipo}).isEmpty()) return false;
        return QDesktopServices::openUrl(QUrl::fromLocalFile(archivo));
    }

private:
    static void mostrar(const QString& titulo, const QString& texto) {
        QMessageBox caja(QMessageBox::NoIcon, titulo, texto, QMessageBox::Ok,
                         QApplication::activeWindow());
        caja.setTextFormat(Qt::PlainText);  // record names may hold '<'
        caja.exec();
    }

    // One xdg-mime question; empty when there is no answer (or no xdg-mime).
    QString preguntar(const QStringList& argumentos) {
        QProcess p;
        p.start("xdg-mime", argumentos);
        if (!p.waitForStarted(2000)) return {};
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished(1000);
            return {};
        }
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
};

EscritorioQt gQt;
Escritorio* gEscritorio = &gQt;

}  // namespace

Escritorio* instalarEscritorio(Escritorio* e) {
    Escritorio* anterior = gEscritorio;
    gEscritorio = e ? e : &gQt;
    return anterior;
}

void CajaMensaje(const std::string& titulo, const std::string& texto) {
    gEscritorio->cajaMensaje(titulo, texto);
}

void CajaMensajeUtf8(const std::string& titulo, const std::string& textoUtf8) {
    gEscritorio->cajaMensajeUtf8(titulo, textoUtf8);
}

bool AbrirConSistema(const std::string& ruta) {
    return gEscritorio->abrirConSistema(ruta);
}

}  // namespace koral
