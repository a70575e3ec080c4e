"""The scores written as .sav, .dta and .xlsx, read back by programs of their
own (PSPP, pandas) and compared with the CSV of the same company.

Usage: tablas.py (spss|stata-excel) KORAL20-CLI EMPRESA.kr2 CUESTION.txt
"""

import csv
import subprocess
import sys
import tempfile
from pathlib import Path

modo, cli, empresa, cuestion = sys.argv[1:5]
tmp = Path(tempfile.mkdtemp())
fallos = []


def comprobar(cond, que):
    if not cond:
        fallos.append(que)


def exportar(ext):
    ruta = tmp / ("m." + ext)
    subprocess.run([cli, "puntuaciones", empresa, str(ruta)], check=True)
    return ruta


# The CSV: the figures every other file must hold.
with open(exportar("csv"), encoding="utf-8-sig", newline="") as f:
    filas = list(csv.reader(f, delimiter=";"))
cabecera, filas = filas[0], filas[1:]
factores = cabecera[77:84]
grupos = []
for fila in filas:
    for g in fila[1].split("|"):
        if g and g not in grupos:
            grupos.append(g)

# The questions and options as the form prints them, markup left out.
items = []
for linea in Path(cuestion).read_text(encoding="utf-8").splitlines():
    limpio = " ".join(linea.replace("<C>", " ").replace("<n>", " ").split())
    if not linea or linea.startswith("<N>"):
        continue
    if linea.startswith("\t"):
        items[-1][1].append(limpio[2:])
    elif limpio.startswith(f"{len(items) + 1}. "):
        items.append((limpio, []))
comprobar(len(items) == 75, "75 items")
niveles = {1: "Situación adecuada", 2: "Situación intermedia", 3: "Situación desfavorable"}
nombres = (["identificador"] + [f"g{i + 1}" for i in range(8)] +
           [f"item{i}" for i in range(1, 76)] + ["CM", "AT", "CT", "SP", "DR", "IT", "RP"] +
           ["banda_" + a for a in ["CM", "AT", "CT", "SP", "DR", "IT", "RP"]])


def esperado(fila, grupo_de):
    """One CSV row as the other files' variables, in their order."""
    suyos = fila[1].split("|")
    return ([fila[0]] + [1 if grupo_de(k) in suyos else 0 for k in range(len(grupos))] +
            [int(r) for r in fila[2:77]] + [float(p.replace(",", ".")) for p in fila[77:84]] +
            [int(b) for b in fila[84:91]])


if modo == "spss":
    sintaxis = tmp / "leer.sps"
    sintaxis.write_text(f'GET FILE="{exportar("sav")}".\nDISPLAY DICTIONARY.\n'
                        "LIST /CASES=FROM 1 TO 3.\n")
    salida = tmp / "salida.csv"
    subprocess.run(["pspp", "-o", str(salida), str(sintaxis)], check=True)
    tablas = {}
    for bloque in salida.read_text(encoding="utf-8").split("Table: ")[1:]:
        titulo, _, resto = bloque.partition("\n")
        tablas[titulo] = [f for f in csv.reader(resto.strip().splitlines()) if len(f) > 1]
    variables = tablas["Variables"][1:]
    comprobar([v[0] for v in variables] == nombres[:len(variables)], "names")
    etiquetas = {v[0]: v[2] for v in variables}
    perdidos = {v[0]: v[-1] for v in variables}
    comprobar(sorted(etiquetas[f"g{k + 1}"] for k in range(8)) == sorted(grupos), "groups")
    for i, (pregunta, _) in enumerate(items, 1):
        comprobar(etiquetas[f"item{i}"] == pregunta and perdidos[f"item{i}"] == "0", f"item{i}")
    for a, f in zip(nombres[84:91], factores):
        comprobar(etiquetas[a] == f and etiquetas["banda_" + a] == f, a)
    # Value labels: each variable's label opens its run of values.
    valores, actual = {}, None
    for var, valor, etiqueta in tablas["Value Labels"][1:]:
        actual = var or actual
        valores.setdefault(actual, {})[valor] = etiqueta
    for pregunta, opciones in items:
        comprobar(valores[pregunta] == {"0[a]": "Sin respuesta",
                                        **{str(k): o for k, o in enumerate(opciones, 1)}},
                  "values " + pregunta)
    comprobar(valores[factores[0]] == {str(k): n for k, n in niveles.items()}, "bands")
    lista = tablas["Data List"]
    comprobar(lista[0] == nombres, "listed names")
    for fila, listada in zip(filas, lista[1:]):
        e = esperado(fila, lambda k: etiquetas[f"g{k + 1}"])
        comprobar(listada[:84] == [str(x) for x in e[:84]] and
                  listada[84:91] == [f"{x:.2f}" for x in e[84:91]] and
                  listada[91:] == [str(x) for x in e[91:]], "case " + fila[0])
    comprobar(len(lista) == 4, "three cases")
else:
    import pandas as pd

    lector = pd.read_stata(exportar("dta"), iterator=True)
    etiquetas = lector.variable_labels()
    valores = lector.value_labels()
    datos = lector.read(convert_categoricals=False, convert_missing=True)
    comprobar(list(datos.columns) == nombres, "dta names")
    comprobar(sorted(etiquetas[f"g{k + 1}"] for k in range(8)) == sorted(grupos), "dta groups")
    for i, (pregunta, opciones) in enumerate(items, 1):
        # Stata keeps 80 characters of a variable's label.
        comprobar(etiquetas[f"item{i}"] == pregunta[:80], f"dta item{i}")
        comprobar(valores[f"item{i}"] == {**{k: o for k, o in enumerate(opciones, 1)},
                                          2147483622: "Sin respuesta"}, f"dta values {i}")
    comprobar(valores["nivel"] == niveles, "dta bands")
    comprobar(len(datos) == len(filas), "dta rows")
    for fila, (_, d) in zip(filas, datos.iterrows()):
        e = esperado(fila, lambda k: etiquetas[f"g{k + 1}"])
        leida = [x if not hasattr(x, "string") else 0 for x in d]  # .a: no answer
        blancas = [hasattr(x, "string") and x.string == ".a" for x in d[9:84]]
        comprobar(leida == e and blancas == [r == "0" for r in fila[2:77]], "dta " + fila[0])

    libro = pd.read_excel(exportar("xlsx"), sheet_name=None, engine="openpyxl")
    comprobar(list(libro) == ["Datos", "Perfiles", "Diccionario"], "sheets")
    hoja = libro["Datos"]
    comprobar(list(hoja.columns) == nombres and len(hoja) == len(filas), "xlsx shape")
    comprobar(all(str(t) != "object" for t in hoja.dtypes[1:]), "xlsx numbers")
    dic = libro["Diccionario"]
    comprobar(list(dic["Variable"]) == nombres, "dictionary names")
    etiquetas = dict(zip(dic["Variable"], dic["Etiqueta"]))
    for fila, (_, d) in zip(filas, hoja.iterrows()):
        comprobar(list(d) == esperado(fila, lambda k: etiquetas[f"g{k + 1}"]), "xlsx " + fila[0])
    for i, (pregunta, opciones) in enumerate(items, 1):
        comprobar(etiquetas[f"item{i}"] == pregunta, f"xlsx item{i}")
        v = dic["Valores"][i + 8]
        comprobar(all(f"{k} = {o}" in v for k, o in enumerate(opciones, 1)) and
                  "0 = Sin respuesta" in v, f"xlsx values {i}")
    # Each profile's figures as the command line prints them.
    for _, p in libro["Perfiles"].iterrows():
        texto = subprocess.run([cli, "profile", empresa, p["Perfil"]], check=True,
                               capture_output=True, text=True).stdout.splitlines()
        comprobar(texto[0] == f"Nº Sujetos: {p['Sujetos']}", "subjects " + p["Perfil"])
        for linea in texto[1:8]:
            a, media, *bandas = linea.split("\t")
            leidas = [p["Media " + a]] + [p[f"{a} nivel {b} (%)"] for b in (1, 2, 3)]
            impresas = [float(x.rstrip(" %")) for x in [media] + bandas]
            comprobar(all(abs(x - y) < 0.0051 for x, y in zip(leidas, impresas)),
                      f"{p['Perfil']} {a}")

    # The action plan: the workbook holds the CSV's cells, dates as dates.
    plan = tmp / "plan"
    for ext in ("csv", "xlsx"):
        subprocess.run([cli, "medidas", empresa, f"{plan}.{ext}"], check=True)
    with open(f"{plan}.csv", encoding="utf-8-sig", newline="") as f:
        medidas = list(csv.reader(f, delimiter=";"))
    hoja = pd.read_excel(f"{plan}.xlsx", engine="openpyxl")
    leidas = [list(hoja.columns)] + [
        ["" if pd.isna(x) else x.strftime("%Y-%m-%d") if hasattr(x, "strftime") else x
         for x in fila] for fila in hoja.itertuples(index=False)]
    comprobar(len(medidas) > 1 and leidas == medidas, "plan")

for f in fallos:
    print("FALLO:", f)
sys.exit(1 if fallos else 0)
