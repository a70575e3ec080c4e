// Profiles side by side: their figures (means, band shares, differences
// against a reference profile), the chart of their means with a legend, the
// printed pages and the text form.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "document/DatosEvaluacion.h"
#include "document/UData.h"
#include "platform/Superficie.h"
#include "reports/Escritores.h"
#include "reports/Impresion.h"

namespace koral {

// A profile to compare, computed beforehand with calcularPerfil.
struct TPerfilComparado {
    std::string etiqueta;             // the legend's text: the name, or etiquetaOtraEmpresa
    const TPerfil* perfil = nullptr;  // not owned
    bool deOtraEmpresa = false;
};

// "NAME (COMPANY, YEAR)" for a profile of another company file, YEAR being
// that of its latest questionnaire (the assessment's); "NAME (COMPANY)" when
// no questionnaire has a date.
std::string etiquetaOtraEmpresa(const TKoral& otra, const TPerfil& perfil);

// The chart tells apart this many profiles (colour and marker); the window
// and the command refuse more.
inline constexpr std::size_t kMaxPerfilesComparados = 12;
inline constexpr const char* kDemasiadosPerfiles =
    "Se pueden comparar hasta 12 perfiles a la vez: el gr\xE1"
    "fico no distingue m\xE1s.";

// What a profile with no questionnaires shows in place of its figures.
inline constexpr const char* kSinCuestionarios = "Sin cuestionarios";
// Said when the reference is such a profile.
inline constexpr const char* kReferenciaSinCuestionarios =
    "El perfil de referencia no tiene cuestionarios: no hay diferencias.";
// "...: N", the count of a profile's mostly blank forms (nCasiEnBlanco).
inline constexpr const char* kRotuloCasiEnBlanco =
    "Cuestionarios con m\xE1s de un tercio sin responder";

// What a profile with 1 to minimo - 1 respondents shows in place of every
// figure: "Resultados no mostrados: menos de N personas". With minimo 1
// nothing is withheld.
bool resultadosRetenidos(std::int32_t nSujetos, int minimo);
std::string textoRetenido(int minimo);
// Said when the reference is such a profile: its figures would show through
// the differences.
inline constexpr const char* kReferenciaRetenida =
    "El perfil de referencia no muestra resultados: no hay diferencias.";

// The first profile of this company that selects no group (the whole
// company), else the first one.
std::size_t referenciaPorDefecto(std::span<const TPerfilComparado> perfiles);

// One profile's figures, from its statistics as porcentajeBanda and
// porcentajeSinRespuesta give them.
struct CifrasPerfil {
    std::string etiqueta;
    std::int32_t nSujetos = 0;
    std::array<double, kNumFactores> medias{};                 // mediaFactor
    std::array<std::array<double, 3>, kNumFactores> bandas{};  // shares in %, band 1 first
    // Against the reference: the difference of the two means as the table
    // shows them (each rounded to two decimals), so that the figures add up
    // for a reader; 0 for the reference itself.
    std::array<double, kNumFactores> diferencias{};
    // False for the reference itself and whenever this profile or the
    // reference has no questionnaires: no difference is shown.
    bool conDiferencias = false;
    std::string sinRespuesta;    // porcentajeSinRespuesta
    bool identificable = false;  // 1 to 4 subjects: the profile editor's notice applies
    // Fewer respondents than the threshold: every figure above is zero and
    // textoRetenido stands in their place.
    bool retenido = false;
    std::int32_t nCasiEnBlanco = 0;
    bool muchasSinRespuesta = false;  // kAvisoSinRespuesta applies
    // No questionnaires: kSinCuestionarios in place of every figure, no line.
    bool sinCuestionarios() const { return nSujetos <= 0; }
    // No figures to show, for either reason.
    bool sinCifras() const { return sinCuestionarios() || retenido; }
};

struct TComparacion {
    std::vector<CifrasPerfil> perfiles;  // in the order given; index = colour and marker
    std::size_t referencia = 0;
    int minimo = TDatosEvaluacion::kMinimoPorDefecto;
};

// A `referencia` out of range stands for the first profile. Profiles with
// fewer respondents than `minimo` (the company's threshold) are withheld.
TComparacion compararPerfiles(std::span<const TPerfilComparado> perfiles, std::size_t referencia,
                              int minimo = TDatosEvaluacion::kMinimoPorDefecto);

// The band whose colour a mean shows: that of the mean as printed, with two
// decimals (3.999 shows as 4.00, band 2).
int bandaDeMedia(double media);

// Figures as the table prints them: "%5.2f"; a band share "%5.2f" and " %";
// a difference signed with two decimals ("+0.25", "-1.30", "0.00").
std::string textoMedia(double media, char separador);
std::string textoBanda(double porcentaje, char separador);
std::string textoDiferencia(double diferencia, char separador);

// The chart of every profile's means with the legend under it (marker and
// "LABEL: N sujetos", or kSinCuestionarios or textoRetenido and no line), all
// inside `area`.
void dibujarGraficoComparacion(const TComparacion& c, Superficie& s, const Rectangulo& area);
// The legend's height for a chart `ancho` wide.
int altoLeyendaComparacion(const TComparacion& c, Superficie& s, int ancho);

// Text form: per profile its label, subjects and per factor one line
// "ABR<TAB>media<TAB>banda1<TAB>banda2<TAB>banda3[<TAB>diferencia]", its
// unanswered share, its mostly blank forms and its notices; a profile with
// no questionnaires has kSinCuestionarios in place of the figures, a withheld
// one textoRetenido.
std::vector<std::string> TextoComparacion(const TComparacion& c, const std::string& empresa);
// Pages: the chart, then the table factor x profile, as many pages as it
// takes, for the page the surface has. Throws ErrorImpresion (before drawing)
// when the page is too small.
void DibujarComparacion(const TComparacion& c, const std::string& empresa, Superficie& s,
                        char separador, TImpresora& impresora);

}  // namespace koral
