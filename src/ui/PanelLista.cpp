#include "ui/PanelLista.h"

#include <QFont>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/Iconos.h"
#include "ui/UChild.h"

namespace koral {

namespace {

// List rows 16 pixels high, whatever the style would make of the font.
class FilaFija : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& o, const QModelIndex& i) const override {
        return {QStyledItemDelegate::sizeHint(o, i).width(), 16};
    }
};

}  // namespace

// A column heading in a large bold face; the face shrinks when a large count
// would not fit the column.
class TCabeceraColumna : public QLabel {
public:
    explicit TCabeceraColumna(QWidget* padre) : QLabel(padre) {
        setAlignment(Qt::AlignCenter);
        setTextFormat(Qt::PlainText);
        setMinimumWidth(40);
        QFont f = font();
        f.setBold(true);
        f.setPixelSize(kAlto);
        setFont(f);
        setFixedHeight(kAlto + 8);
    }
    void poner(const QString& texto) {
        setText(texto);
        ajustar();
    }

protected:
    void resizeEvent(QResizeEvent* e) override {
        QLabel::resizeEvent(e);
        ajustar();
    }

private:
    static constexpr int kAlto = 24;
    void ajustar() {
        QFont f = font();
        const int disponible = contentsRect().width() - 4;
        for (int alto = kAlto; alto >= 10; --alto) {
            f.setPixelSize(alto);
            if (QFontMetrics(f).horizontalAdvance(text()) <= disponible) break;
        }
        setFont(f);
    }
};

TPanelLista::TPanelLista(TChildWin& ventana, const char* nombreCabecera, const char* nombreLista)
    : QFrame(&ventana), ventana_(ventana) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    columna_ = new QVBoxLayout(this);
    columna_->setContentsMargins(3, 3, 3, 3);
    columna_->setSpacing(3);

    cabecera_ = new TCabeceraColumna(this);
    cabecera_->setObjectName(nombreCabecera);
    columna_->addWidget(cabecera_);

    tira_ = new QWidget(this);
    tira_->setFixedHeight(25);
    tira_->setMinimumWidth(193);
    columna_->addWidget(tira_);

    lista_ = new QListView(this);
    lista_->setObjectName(nombreLista);
    lista_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lista_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lista_->setUniformItemSizes(true);
    lista_->setItemDelegate(new FilaFija(lista_));
    QFont f = lista_->font();
    f.setPixelSize(13);
    lista_->setFont(f);
    columna_->addWidget(lista_, 1);
}

void TPanelLista::crearBoton(int x, const char* nombre, const char* ayuda, Dibujo dibujo,
                             char tecla, bool activo, const std::function<void()>& orden) {
    auto* b = new QToolButton(tira_);
    b->setObjectName(nombre);
    b->setGeometry(x, 0, 25, 25);
    b->setIcon(iconoHerramienta(dibujo));
    b->setIconSize(QSize(20, 20));
    b->setAutoRaise(true);
    b->setShortcut(QKeySequence(Qt::ALT | static_cast<Qt::Key>(tecla)));
    b->setToolTip(QString::fromUtf8(ayuda) + " (Alt+" + QChar(tecla) + ")");
    // A command whose window or report comes from elsewhere works once it is there.
    b->setEnabled(activo);
    connect(b, &QToolButton::clicked, this, [orden] { orden(); });
}

void TPanelLista::ponerCabecera(const QString& texto) {
    cabecera_->poner(texto);
}

int TPanelLista::filaActual() const {
    const QModelIndex i = lista_->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void TPanelLista::hacerActual(int fila) {
    const QModelIndex i = lista_->model()->index(fila, 0);
    lista_->setCurrentIndex(i);
    lista_->scrollTo(i);
}

TPanelLista::EstadoAntesDeNuevo TPanelLista::recordarAntesDeNuevo() const {
    const TKoral& doc = *ventana_.documento();
    return {doc.ultimoId, doc.modificado, lista_->currentIndex(),
            lista_->selectionModel()->selection()};
}

// The identifier of a record whose editor was cancelled was never written
// anywhere: it can be handed out again.
void TPanelLista::volverAntesDeNuevo(const EstadoAntesDeNuevo& antes) {
    TKoral& doc = *ventana_.documento();
    doc.ultimoId = antes.ultimoId;
    doc.modificado = antes.modificado;
    lista_->selectionModel()->select(antes.seleccion, QItemSelectionModel::ClearAndSelect);
    lista_->selectionModel()->setCurrentIndex(antes.actual, QItemSelectionModel::NoUpdate);
    ventana_.refrescarCabeceras();
}

}  // namespace koral
