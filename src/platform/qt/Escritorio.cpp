#include "platform/qt/Escritorio.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include "platform/qt/TextoQt.h"

namespace koral {

namespace {

class EscritorioQt : public Escritorio {
public:
    void cajaMensaje(const std::string& titulo, const std::string& texto) override {
        QMessageBox caja(QMessageBox::NoIcon, aQString(titulo), aQString(texto), QMessageBox::Ok,
                         QApplication::activeWindow());
        caja.setTextFormat(Qt::PlainText);  // record names may hold '<'
        caja.exec();
    }
    bool abrirConSistema(const std::string& ruta) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromUtf8(ruta)));
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

bool AbrirConSistema(const std::string& ruta) {
    return gEscritorio->abrirConSistema(ruta);
}

}  // namespace koral
