#include "exchange/Tablas.h"

#include <locale.h>
#include <readstat.h>
#include <stdlib.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "document/Acompanante.h"
#include "document/Instrumento.h"
#include "exchange/Csv.h"
#include "method/Perfil.h"
#include "method/Textos.h"
#include "platform/Archivos.h"
#include "platform/Fecha.h"
#include "platform/Texto.h"

namespace koral {

namespace {

constexpr const char* kSinRespuesta = "Sin respuesta";
constexpr const char* kNiveles[3] = {"Situación adecuada", "Situación intermedia",
                                     "Situación desfavorable"};

// One item as the printed form words it (UTF-8).
struct Item {
    std::string pregunta;
    std::vector<std::string> opciones;  // option 1 first
};

// The form's lines without their "<C>", "<N>" and "<n>" markup, blanks
// collapsed.
std::string sinMarcas(std::string_view linea) {
    std::string r;
    for (std::size_t i = 0; i < linea.size(); ++i) {
        if (linea[i] == '<' && i + 2 < linea.size() && linea[i + 2] == '>' &&
            (linea[i + 1] == 'C' || linea[i + 1] == 'N' || linea[i + 1] == 'n')) {
            i += 2;
            if (!r.empty() && r.back() != ' ') r += ' ';
            continue;
        }
        const char c = linea[i] == '\t' ? ' ' : linea[i];
        if (c == ' ' && (r.empty() || r.back() == ' ')) continue;
        r += c;
    }
    while (!r.empty() && r.back() == ' ') r.pop_back();
    return cp1252AUtf8(r);
}

const std::vector<Item>& items() {
    static const std::vector<Item> lista = [] {
        std::vector<Item> v;
        for (const std::string& l : lineasCuestionario()) {
            if (l.empty() || l.rfind("<N>", 0) == 0) continue;
            if (l.front() == '\t') {
                if (!v.empty() && l.size() > 3) v.back().opciones.push_back(sinMarcas(l.substr(3)));
            } else if (l.rfind(std::to_string(v.size() + 1) + ". ", 0) == 0) {
                v.push_back({sinMarcas(l), {}});
            }
        }
        if (v.size() != static_cast<std::size_t>(kNumItems))
            throw std::logic_error("questionnaire text: wrong item count");
        return v;
    }();
    return lista;
}

// At most `bytes` bytes and `letras` characters of a UTF-8 text, never
// splitting a character.
std::string cortar(const std::string& t, std::size_t bytes, std::size_t letras) {
    std::size_t fin = 0, n = 0;
    while (fin < t.size() && n < letras) {
        std::size_t largo = 1;
        while (fin + largo < t.size() &&
               (static_cast<unsigned char>(t[fin + largo]) & 0xC0) == 0x80)
            ++largo;
        if (fin + largo > bytes) break;
        fin += largo;
        ++n;
    }
    return t.substr(0, fin);
}

// The data's dictionary: variable names valid in SPSS and Stata.
enum class Tipo { Texto, Entero, Real };
struct Variable {
    std::string nombre, etiqueta;
    Tipo tipo;
    int item = 0;  // 1-75 for an answer: its options label it
    bool banda = false;
};

std::vector<Variable> diccionario(const TKoral& doc) {
    std::vector<Variable> v;
    v.push_back({"identificador", "Identificador", Tipo::Texto});
    for (std::size_t g = 0; g < doc.grupos.size(); ++g)
        v.push_back(
            {"g" + std::to_string(g + 1), cp1252AUtf8(doc.grupos[g]->nombre), Tipo::Entero});
    for (int i = 1; i <= kNumItems; ++i)
        v.push_back({"item" + std::to_string(i), items()[i - 1].pregunta, Tipo::Entero, i});
    for (int f = 0; f < kNumFactores; ++f)
        v.push_back({kAbreviaturas[f], kNombresFactorCsv[f], Tipo::Real});
    for (int f = 0; f < kNumFactores; ++f)
        v.push_back({std::string("banda_") + kAbreviaturas[f], kNombresFactorCsv[f], Tipo::Entero,
                     0, true});
    return v;
}

// A questionnaire's groups as 0/1 flags in the document's group order,
// each group's place looked up once for the whole company.
class MarcasGrupos {
public:
    explicit MarcasGrupos(const TKoral& doc) : en_(doc.grupos.size()) {
        for (std::size_t k = 0; k < doc.grupos.size(); ++k) lugar_[doc.grupos[k].get()] = k;
    }
    const std::vector<char>& de(const TCuestionario& q) {
        std::fill(en_.begin(), en_.end(), 0);
        for (const TGrupo* g : q.grupos)
            if (const auto i = lugar_.find(g); i != lugar_.end()) en_[i->second] = 1;
        return en_;
    }

private:
    std::unordered_map<const TGrupo*, std::size_t> lugar_;
    std::vector<char> en_;
};

// An answer's code; -1 for a byte that is not one.
int codigo(char c) {
    return c >= '0' && c <= '5' ? c - '0' : -1;
}

// ReadStat ------------------------------------------------------------------

// ReadStat hands over a row at a time: they are passed on to the file in
// blocks, not a write each.
struct Escritura {
    SalidaArchivo* salida;
    std::exception_ptr error;
    std::string bloque;

    void vaciar() {
        salida->escribir(bloque.data(), bloque.size());
        bloque.clear();
    }
};

ssize_t escribirBytes(const void* datos, size_t n, void* ctx) {
    auto* e = static_cast<Escritura*>(ctx);
    try {
        e->bloque.append(static_cast<const char*>(datos), n);
        if (e->bloque.size() >= std::size_t{1} << 20) e->vaciar();
    } catch (...) {
        e->error = std::current_exception();
        return -1;
    }
    return static_cast<ssize_t>(n);
}

void escribirReadStat(const TKoral& doc, const std::string& ruta, FormatoTabla tipo) {
    const bool sav = tipo == FormatoTabla::Sav;
    Reemplazo archivo(ruta);
    Escritura escritura{&archivo.salida(), nullptr, {}};
    std::unique_ptr<readstat_writer_t, void (*)(readstat_writer_t*)> w(readstat_writer_init(),
                                                                       readstat_writer_free);
    const auto comprobar = [&](readstat_error_t e) {
        if (escritura.error) std::rethrow_exception(escritura.error);
        if (e != READSTAT_OK)
            throw ErrorArchivo(std::string("No se pudo escribir el archivo: ") +
                               readstat_error_message(e));
    };
    readstat_set_data_writer(w.get(), escribirBytes);
    // SPSS keeps 120 bytes of a value label and 256 of a variable's; Stata
    // 80 characters of a variable's.
    const auto etiquetaVariable = [&](const std::string& t) {
        return sav ? cortar(t, 255, 255) : cortar(t, 320, 80);
    };
    const auto etiquetaValor = [&](const std::string& t) { return sav ? cortar(t, 120, 120) : t; };
    // SPSS keeps 64 bytes of the file's label, Stata 80 characters.
    const std::string empresa = cp1252AUtf8(doc.nombre);
    readstat_writer_set_file_label(
        w.get(), (sav ? cortar(empresa, 64, 64) : cortar(empresa, 320, 80)).c_str());
    if (sav) {
        readstat_writer_set_compression(w.get(), READSTAT_COMPRESS_ROWS);
    } else {
        readstat_writer_set_file_format_version(w.get(), 118);  // UTF-8
    }
    readstat_label_set_t* niveles = readstat_add_label_set(w.get(), READSTAT_TYPE_INT32, "nivel");
    for (int b = 0; b < 3; ++b)
        readstat_label_int32_value(niveles, b + 1, etiquetaValor(kNiveles[b]).c_str());

    std::size_t anchoNombre = 1;
    for (const auto& q : doc.cuestionarios)
        anchoNombre = std::max(anchoNombre, cp1252AUtf8(q->nombre).size());
    const auto vars = diccionario(doc);
    std::vector<readstat_variable_t*> rv;
    for (const Variable& v : vars) {
        const readstat_type_t t = v.tipo == Tipo::Texto    ? READSTAT_TYPE_STRING
                                  : v.tipo == Tipo::Entero ? READSTAT_TYPE_INT8
                                                           : READSTAT_TYPE_DOUBLE;
        readstat_variable_t* r = readstat_add_variable(w.get(), v.nombre.c_str(), t,
                                                       v.tipo == Tipo::Texto ? anchoNombre : 0);
        readstat_variable_set_label(r, etiquetaVariable(v.etiqueta).c_str());
        if (v.item) {
            readstat_label_set_t* s =
                readstat_add_label_set(w.get(), READSTAT_TYPE_INT32, v.nombre.c_str());
            const auto& opciones = items()[static_cast<std::size_t>(v.item - 1)].opciones;
            for (std::size_t k = 0; k < opciones.size(); ++k)
                readstat_label_int32_value(s, static_cast<int>(k + 1),
                                           etiquetaValor(opciones[k]).c_str());
            // SPSS declares the code missing; Stata has no such numbers and
            // takes its extended missing value .a instead.
            if (sav) {
                readstat_label_int32_value(s, 0, kSinRespuesta);
                readstat_variable_add_missing_double_value(r, 0);
            } else {
                readstat_label_tagged_value(s, 'a', kSinRespuesta);
            }
            readstat_variable_set_label_set(r, s);
        }
        if (v.banda) readstat_variable_set_label_set(r, niveles);
        readstat_variable_set_measure(r, v.tipo == Tipo::Real    ? READSTAT_MEASURE_SCALE
                                         : v.tipo == Tipo::Texto ? READSTAT_MEASURE_NOMINAL
                                                                 : READSTAT_MEASURE_ORDINAL);
        rv.push_back(r);
    }
    const long filas = static_cast<long>(doc.cuestionarios.size());
    comprobar(sav ? readstat_begin_writing_sav(w.get(), &escritura, filas)
                  : readstat_begin_writing_dta(w.get(), &escritura, filas));
    comprobar(readstat_validate_metadata(w.get()));
    MarcasGrupos marcas(doc);
    for (const auto& q : doc.cuestionarios) {
        comprobar(readstat_begin_row(w.get()));
        std::size_t k = 0;
        comprobar(readstat_insert_string_value(w.get(), rv[k++], cp1252AUtf8(q->nombre).c_str()));
        for (char g : marcas.de(*q))
            comprobar(readstat_insert_int8_value(w.get(), rv[k++], static_cast<int8_t>(g)));
        for (char c : q->respuestas) {
            const int r = codigo(c);
            if (r > 0 || (r == 0 && sav))
                comprobar(readstat_insert_int8_value(w.get(), rv[k], static_cast<int8_t>(r)));
            else if (r == 0)
                comprobar(readstat_insert_tagged_missing_value(w.get(), rv[k], 'a'));
            else
                comprobar(readstat_insert_missing_value(w.get(), rv[k]));
            ++k;
        }
        for (double p : q->puntuaciones)
            comprobar(readstat_insert_double_value(w.get(), rv[k++], p));
        for (double p : q->puntuaciones)
            comprobar(
                readstat_insert_int8_value(w.get(), rv[k++], static_cast<int8_t>(bandaDe(p))));
        comprobar(readstat_end_row(w.get()));
    }
    comprobar(readstat_end_writing(w.get()));
    escritura.vaciar();
    archivo.confirmar();
}

// libxlsxwriter ---------------------------------------------------------------

// The library prints numbers with printf: under a locale with a decimal
// comma, as the window program runs, a score would reach the workbook as
// "2,5". Meanwhile this thread takes the C locale's numbers.
class NumerosC {
public:
    NumerosC() {
        locale_t base = duplocale(uselocale(static_cast<locale_t>(nullptr)));
        c_ = base ? newlocale(LC_NUMERIC_MASK, "C", base) : nullptr;
        if (!c_) {
            if (base) freelocale(base);
            throw ErrorArchivo("No se pudo preparar el formato de los n\xFAmeros.");
        }
        anterior_ = uselocale(c_);
    }
    ~NumerosC() {
        uselocale(anterior_);
        freelocale(c_);
    }
    NumerosC(const NumerosC&) = delete;
    NumerosC& operator=(const NumerosC&) = delete;

private:
    locale_t c_ = nullptr;
    locale_t anterior_ = nullptr;
};

void comprobarXlsx(lxw_error e) {
    if (e != LXW_NO_ERROR)
        throw ErrorArchivo(std::string("No se pudo escribir el libro: ") + lxw_strerror(e));
}

// The library writes a workbook to a named file only: it is made in a
// temporary file, then copied into place as any other output is.
class LibroTemporal {
public:
    LibroTemporal() {
        std::string plantilla =
            (std::filesystem::temp_directory_path() / "koral20-XXXXXX").string();
        const int fd = mkstemp(plantilla.data());
        if (fd < 0) throw ErrorArchivo("No se pudo crear un archivo temporal.");
        close(fd);
        ruta_ = plantilla;
        lxw_workbook_options opciones{};
        opciones.constant_memory = LXW_TRUE;  // rows go to disk as written
        opciones.use_zip64 = LXW_TRUE;
        libro_ = workbook_new_opt(ruta_.c_str(), &opciones);
        if (!libro_) throw ErrorArchivo("No se pudo crear el libro.");
    }
    ~LibroTemporal() {
        if (libro_) lxw_workbook_free(libro_);  // a failure: nothing to write
        std::remove(ruta_.c_str());
    }
    LibroTemporal(const LibroTemporal&) = delete;
    LibroTemporal& operator=(const LibroTemporal&) = delete;

    lxw_workbook* libro() { return libro_; }

    // Closes the workbook and copies it into `archivo`, confirmed.
    void guardar(Reemplazo& archivo) {
        comprobarXlsx(workbook_close(std::exchange(libro_, nullptr)));
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(ruta_.c_str(), "rb"),
                                                          std::fclose);
        if (!f) throw ErrorArchivo("No se pudo leer el libro escrito.");
        std::vector<char> buf(1 << 20);
        for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), f.get())) > 0;)
            archivo.salida().escribir(buf.data(), n);
        if (std::ferror(f.get())) throw ErrorArchivo("No se pudo leer el libro escrito.");
        archivo.confirmar();
    }

private:
    NumerosC numeros_;  // first made, last undone
    std::string ruta_;
    lxw_workbook* libro_ = nullptr;
};

constexpr lxw_row_t kFilasHoja = 1048576;

void escribirXlsx(const TKoral& doc, const std::string& ruta) {
    if (doc.cuestionarios.size() >= kFilasHoja)
        throw ErrorArchivo("Demasiados cuestionarios para una hoja de Excel (" +
                           std::to_string(kFilasHoja - 1) + " como m\xE1ximo).");
    Reemplazo archivo(ruta);  // refused before any work
    LibroTemporal temporal;
    lxw_workbook* libro = temporal.libro();
    lxw_format* negrita = workbook_add_format(libro);
    format_set_bold(negrita);
    lxw_format* dosDecimales = workbook_add_format(libro);
    format_set_num_format(dosDecimales, "0.00");

    const auto vars = diccionario(doc);
    lxw_worksheet* datos = workbook_add_worksheet(libro, "Datos");
    lxw_worksheet* perfiles = workbook_add_worksheet(libro, "Perfiles");
    lxw_worksheet* dicc = workbook_add_worksheet(libro, "Diccionario");

    for (std::size_t c = 0; c < vars.size(); ++c)
        comprobarXlsx(worksheet_write_string(datos, 0, static_cast<lxw_col_t>(c),
                                             vars[c].nombre.c_str(), negrita));
    worksheet_freeze_panes(datos, 1, 1);
    MarcasGrupos marcas(doc);
    lxw_row_t fila = 1;
    for (const auto& q : doc.cuestionarios) {
        lxw_col_t c = 0;
        comprobarXlsx(
            worksheet_write_string(datos, fila, c++, cp1252AUtf8(q->nombre).c_str(), nullptr));
        for (char g : marcas.de(*q)) worksheet_write_number(datos, fila, c++, g, nullptr);
        for (char r : q->respuestas) {
            const int v = codigo(r);
            if (v >= 0) worksheet_write_number(datos, fila, c, v, nullptr);
            ++c;
        }
        for (double p : q->puntuaciones) worksheet_write_number(datos, fila, c++, p, nullptr);
        for (double p : q->puntuaciones)
            worksheet_write_number(datos, fila, c++, bandaDe(p), nullptr);
        ++fila;
    }

    // Every profile's figures, computed afresh.
    lxw_col_t c = 0;
    for (const char* t : {"Perfil", "Sujetos", "Sin respuesta (%)"})
        worksheet_write_string(perfiles, 0, c++, t, negrita);
    for (const char* a : kAbreviaturas) {
        worksheet_write_string(perfiles, 0, c++, (std::string("Media ") + a).c_str(), negrita);
        for (int b = 1; b <= 3; ++b)
            worksheet_write_string(
                perfiles, 0, c++, (a + std::string(" nivel ") + std::to_string(b) + " (%)").c_str(),
                negrita);
    }
    fila = 1;
    for (const auto& original : doc.perfiles) {
        TPerfil p;
        p.grupos = original->grupos;
        calcularPerfil(doc, p);
        c = 0;
        worksheet_write_string(perfiles, fila, c++, cp1252AUtf8(original->nombre).c_str(), nullptr);
        worksheet_write_number(perfiles, fila, c++, p.nSujetos, nullptr);
        double blancos = 0;
        for (const auto& f : p.frecuencias) blancos += f[0];
        const double n = p.nSujetos > 0 ? p.nSujetos : 1;
        worksheet_write_number(perfiles, fila, c++, blancos * 100 / (kNumItems * n), dosDecimales);
        for (int f = 1; f <= kNumFactores; ++f) {
            worksheet_write_number(perfiles, fila, c++, mediaFactor(p, f), dosDecimales);
            for (int b = 0; b < 3; ++b)
                worksheet_write_number(perfiles, fila, c++, p.bandas[f - 1][b] * 100.0 / n,
                                       dosDecimales);
        }
        ++fila;
    }

    c = 0;
    for (const char* t : {"Variable", "Etiqueta", "Valores"})
        worksheet_write_string(dicc, 0, c++, t, negrita);
    fila = 1;
    for (const Variable& v : vars) {
        std::string valores;
        if (v.item) {
            const auto& opciones = items()[static_cast<std::size_t>(v.item - 1)].opciones;
            for (std::size_t k = 0; k < opciones.size(); ++k)
                valores += std::to_string(k + 1) + " = " + opciones[k] + "; ";
            valores += std::string("0 = ") + kSinRespuesta + " (perdido)";
        } else if (v.banda) {
            for (int b = 0; b < 3; ++b)
                valores += (b ? "; " : "") + std::to_string(b + 1) + " = " + kNiveles[b];
        } else if (v.nombre[0] == 'g' && v.tipo == Tipo::Entero) {
            valores = "1 = en el grupo; 0 = fuera de él";
        }
        worksheet_write_string(dicc, fila, 0, v.nombre.c_str(), nullptr);
        worksheet_write_string(dicc, fila, 1, v.etiqueta.c_str(), nullptr);
        if (!valores.empty()) worksheet_write_string(dicc, fila, 2, valores.c_str(), nullptr);
        ++fila;
    }
    temporal.guardar(archivo);
}

}  // namespace

std::optional<FormatoTabla> formatoDeRuta(const std::string& ruta) {
    const auto punto = ruta.find_last_of("./");
    if (punto == std::string::npos || ruta[punto] != '.') return std::nullopt;
    std::string ext = ruta.substr(punto + 1);
    for (char& ch : ext) ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    if (ext == "csv") return FormatoTabla::Csv;
    if (ext == "sav") return FormatoTabla::Sav;
    if (ext == "dta") return FormatoTabla::Dta;
    if (ext == "xlsx") return FormatoTabla::Xlsx;
    return std::nullopt;
}

void escribirPuntuaciones(const TKoral& doc, const std::string& ruta, FormatoTabla tipo,
                          const FormatoCsv& csv) {
    if (tipo == FormatoTabla::Csv) return escribirPuntuacionesCsv(doc, ruta, csv);
    if (!doc.archivo.empty()) comprobarFueraDeEmpresa(ruta, doc.archivo);
    if (tipo == FormatoTabla::Xlsx) return escribirXlsx(doc, ruta);
    escribirReadStat(doc, ruta, tipo);
}

void escribirMedidasXlsx(const TKoral& doc, const TDatosEvaluacion& datos,
                         const std::string& ruta) {
    if (!doc.archivo.empty()) comprobarFueraDeEmpresa(ruta, doc.archivo);
    Reemplazo archivo(ruta);  // refused before any work
    LibroTemporal temporal;
    lxw_workbook* libro = temporal.libro();
    lxw_format* negrita = workbook_add_format(libro);
    format_set_bold(negrita);
    lxw_format* fecha = workbook_add_format(libro);
    format_set_num_format(fecha, "yyyy-mm-dd");
    lxw_worksheet* hoja = workbook_add_worksheet(libro, "Plan de medidas");
    lxw_col_t c = 0;
    for (const char* t : {"Factores", "Perfiles", "Medida", "Prioridad", "Responsable", "Recursos",
                          "Inicio", "Fin", "Estado", "Fecha de realización", "Seguimiento"})
        worksheet_write_string(hoja, 0, c++, t, negrita);
    // Day numbers count from 1899-12-30 here as in the workbook.
    const auto dia = [&](lxw_row_t f, lxw_col_t col, double d) {
        if (d >= 61) worksheet_write_number(hoja, f, col, std::floor(d), fecha);
    };
    const auto texto = [&](lxw_row_t f, lxw_col_t col, const std::string& t) {
        if (!t.empty()) worksheet_write_string(hoja, f, col, t.c_str(), nullptr);
    };
    lxw_row_t fila = 1;
    for (const TMedida* m : medidasOrdenadas(datos)) {
        std::string factores, perfiles;
        for (int f : m->factores) {
            if (f < 1 || f > kNumFactores) continue;  // a hand-edited file
            if (!factores.empty()) factores += '|';
            factores += kNombresFactorCsv[f - 1];
        }
        for (const auto& p : m->perfiles)
            perfiles += (perfiles.empty() ? "" : "|") + cp1252AUtf8(p);
        texto(fila, 0, factores);
        texto(fila, 1, perfiles);
        texto(fila, 2, cp1252AUtf8(m->medida));
        texto(fila, 3, textoPrioridad(m->prioridad));
        texto(fila, 4, cp1252AUtf8(m->responsable));
        texto(fila, 5, cp1252AUtf8(m->recursos));
        dia(fila, 6, m->inicio);
        dia(fila, 7, m->fin);
        texto(fila, 8, cp1252AUtf8(textoEstado(m->estado)));
        if (m->estado == EstadoMedida::Hecha) dia(fila, 9, m->hecha);
        texto(fila, 10, cp1252AUtf8(m->seguimiento));
        ++fila;
    }
    temporal.guardar(archivo);
}

}  // namespace koral
