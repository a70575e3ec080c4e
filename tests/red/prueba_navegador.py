#!/usr/bin/python3
"""A worker answers the campaign's form in headless Chromium, on a phone-sized
window, through `koral20-cli recoger` on the loopback address; the
questionnaire stored in the company file is then checked. A reload halfway
keeps what was marked; blank items are shown again before they are sent as
they are. On a shared tablet, neither reloading the thanks page nor going
Back stores an answer twice or shows the last worker's answers.

    prueba_navegador.py KORAL20-CLI

With KORAL_CAPTURAS=FOLDER, screenshots of the pages are left there.
"""
import http.client
import json
import os
import signal
import subprocess
import sys
import tempfile
import urllib.parse

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

CLI = sys.argv[1]
OPCIONES = "544453344433333444444444455444444433333344444333333444444444444444444355555"
TURNO = "Turno <noche> & 'B'"
CODIGO = "246810"


def fallo(texto):
    print("FALLO:", texto, file=sys.stderr)
    sys.exit(1)


def comprobar(condicion, texto):
    if not condicion:
        fallo(texto)


def navegador(carpeta):
    o = webdriver.ChromeOptions()
    o.binary_location = "/usr/bin/chromium"
    for a in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
              "--no-first-run", "--disable-background-networking", "--disable-component-update",
              "--disable-sync", "--user-data-dir=" + os.path.join(carpeta, "perfil")):
        o.add_argument(a)
    o.add_experimental_option("mobileEmulation",
                              {"deviceMetrics": {"width": 390, "height": 844, "pixelRatio": 2}})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=o)


def captura(driver, nombre):
    carpeta = os.environ.get("KORAL_CAPTURAS")
    if carpeta:
        driver.save_screenshot(os.path.join(carpeta, nombre + ".png"))


def enviar(driver, boton="button[type=submit]"):
    # A mark on the old page tells when the answer has replaced it. Asking
    # for an old element's staleness instead races with the navigation: some
    # Chromium versions answer with an inspector error rather than "stale".
    driver.execute_script("window.koralAntes = true")
    driver.find_element(By.CSS_SELECTOR, boton).click()

    def nueva(d):
        try:
            return d.execute_script(
                "return window.koralAntes === undefined && document.readyState === 'complete'")
        except WebDriverException:
            return False

    WebDriverWait(driver, 20).until(nueva)


def envio(driver):
    return driver.find_element(By.NAME, "envio").get_attribute("value")


def en_blanco(driver, texto, usado):
    """Waits until the page is a blank form, as the next worker must find it,
    with a token other than `usado`, spent already."""
    def blanco(d):
        try:
            return d.execute_script(
                "var f = document.forms[0]; return document.readyState === 'complete' && !!f &&"
                " f.querySelectorAll('input:checked').length === 0 &&"
                " document.getElementById('codigo').value === '' &&"
                " f.elements.envio.value !== arguments[0]", usado)
        except WebDriverException:
            return False

    try:
        WebDriverWait(driver, 10).until(blanco)
    except Exception:
        captura(driver, "no_en_blanco")
        fallo("%s: no es un formulario en blanco (%s)" % (texto, driver.current_url))


def peticion(url, cuerpo, tipo="application/x-www-form-urlencoded"):
    u = urllib.parse.urlsplit(url)
    c = http.client.HTTPConnection(u.hostname, u.port, timeout=10)
    c.request("POST", "/enviar", body=cuerpo, headers={"Content-Type": tipo})
    r = c.getresponse()
    r.read()
    c.close()
    return r.status


def main():
    with tempfile.TemporaryDirectory() as d:
        empresa = os.path.join(d, "empresa.kr2")
        datos = os.path.join(d, "datos.txt")
        with open(datos, "wb") as f:
            f.write(('"C000001","%s","Almacén"%s\r\n' % (TURNO, ",1" * 75)).encode("cp1252"))
        subprocess.run([CLI, "import", empresa, datos], check=True, stdout=subprocess.DEVNULL)

        servidor = subprocess.Popen(
            [CLI, "recoger", empresa, "--direccion", "127.0.0.1", "--puerto", "0", "--codigo",
             CODIGO], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        driver = None
        try:
            url = servidor.stdout.readline().strip()
            comprobar(url.startswith("URL: http://127.0.0.1:"), "primera línea: " + url)
            url = url[5:]
            comprobar(servidor.stdout.readline() == "Código: %s\n" % CODIGO, "línea del código")

            driver = navegador(d)
            driver.get(url)
            comprobar(driver.title == "Cuestionario de factores psicosociales", driver.title)
            comprobar(driver.execute_script("return document.documentElement.scrollWidth") <= 390,
                      "la página es más ancha que el teléfono")
            captura(driver, "formulario")

            # As a worker would: tap the labels; item 10 left blank, item 20
            # marked and then put back to "sin respuesta" (option 0).
            def etiqueta(item, opcion):
                return driver.find_element(By.CSS_SELECTOR, 'label[for="r%d-%d"]' % (item, opcion))

            esperadas = []
            for i in range(1, 76):
                opcion = 0 if i == 10 else i % int(OPCIONES[i - 1]) + 1
                if i == 20:
                    etiqueta(20, 2).click()
                    opcion = 0
                if opcion or i == 20:
                    etiqueta(i, opcion).click()
                esperadas.append(str(opcion))
            # The keyboard moves between a question's options, "sin respuesta" last.
            driver.find_element(By.ID, "r2-%s" % esperadas[1]).send_keys(Keys.ARROW_DOWN)
            esperadas[1] = str(int(esperadas[1]) + 1)
            grupo = driver.find_element(By.XPATH, '//label[normalize-space()="%s"]' % TURNO)
            grupo.click()
            driver.execute_script("document.getElementById('p20').scrollIntoView()")
            captura(driver, "preguntas")

            # A reload (pull-to-refresh) brings back every mark, never the code.
            codigo = driver.find_element(By.ID, "codigo")
            codigo.send_keys("999999")
            driver.refresh()
            WebDriverWait(driver, 10).until(
                lambda d: d.execute_script("return document.readyState") == "complete")
            for i in range(1, 76):
                comprobar(driver.find_element(By.ID, "r%d-%s" % (i, esperadas[i - 1])).is_selected()
                          == (i != 10), "pregunta %d tras recargar" % i)
            comprobar(driver.find_element(By.ID, "g1").is_selected(), "grupo tras recargar")
            borrador = driver.execute_script("return JSON.stringify(sessionStorage)")
            comprobar("999999" not in borrador and driver.find_element(By.ID, "codigo")
                      .get_attribute("value") == "", "el código se guardó: " + borrador)

            codigo = driver.find_element(By.ID, "codigo")
            codigo.send_keys("111111")
            enviar(driver)
            aviso = driver.find_element(By.CSS_SELECTOR, ".aviso").text
            comprobar(aviso.startswith("El código no es correcto."), "aviso: " + aviso)
            comprobar(driver.find_element(By.ID, "r1-%s" % esperadas[0]).is_selected(),
                      "las respuestas no siguen marcadas")
            captura(driver, "codigo_equivocado")
            codigo = driver.find_element(By.ID, "codigo")
            codigo.clear()
            codigo.send_keys(CODIGO)
            usado = envio(driver)
            enviar(driver)
            # Items 10 and 20 are blank: listed, marked, and sent only when
            # the worker says so, with the same token.
            aviso = driver.find_element(By.CSS_SELECTOR, ".aviso").text
            comprobar("Preguntas sin respuesta: 10, 20" in aviso, "aviso: " + aviso)
            comprobar(len(driver.find_elements(By.CSS_SELECTOR, "fieldset.falta")) == 2,
                      "preguntas marcadas")
            comprobar(envio(driver) == usado, "otro envio")
            captura(driver, "sin_responder")
            enviar(driver, "button[name=confirmar]")
            texto = driver.find_element(By.TAG_NAME, "body").text
            comprobar("Gracias. Sus respuestas se han guardado." in texto, "gracias: " + texto)
            comprobar("2 preguntas sin respuesta." in texto, "gracias: " + texto)
            comprobar(driver.execute_script("return sessionStorage.length") == 0, "borrador")
            captura(driver, "gracias")

            # Reloading the thanks page sends nothing again; after "Volver al
            # cuestionario en blanco", Back twice leads to a fresh blank form.
            driver.refresh()
            comprobar(driver.current_url == url + "gracias/2", driver.current_url)
            driver.find_element(By.LINK_TEXT, "Volver al cuestionario en blanco").click()
            en_blanco(driver, "volver", usado)
            driver.back()
            driver.back()
            en_blanco(driver, "atrás dos veces", usado)
            # The next worker sends that form: stored, not taken for the last one.
            etiqueta(1, 1).click()
            driver.find_element(By.ID, "codigo").send_keys(CODIGO)
            usado = envio(driver)
            enviar(driver)
            enviar(driver, "button[name=confirmar]")
            comprobar(driver.current_url == url + "gracias/74", driver.current_url)
            driver.back()
            en_blanco(driver, "atrás", usado)

            # The company is held: a second campaign on it is refused, as are
            # arguments it cannot serve with.
            for args, codigo, texto in (
                    ([empresa, "--puerto", "0"], 1, "Error: La empresa ya está abierta"),
                    ([empresa, "--puerto", "70000"], 1, "Error: puerto no válido"),
                    ([empresa, "--direccion", "0.0.0.0"], 1, "Error: dirección no válida"),
                    ([empresa, "--codigo", "12345"], 1, "Error: el código debe tener"),
                    ([], 2, "Uso:")):
                r = subprocess.run([CLI, "recoger"] + args, capture_output=True, text=True,
                                   timeout=20)
                comprobar(r.returncode == codigo and r.stderr.startswith(texto),
                          "recoger %s: %d %s" % (args, r.returncode, r.stderr))

            # Bad requests get 400 and store nothing.
            comprobar(peticion(url, "codigo=%s&r1=%s" % (CODIGO, "0" * 70000)) == 400, "70 kB")
            comprobar(peticion(url, "codigo=%s" % CODIGO, "text/plain") == 400, "text/plain")
            comprobar(peticion(url, "codigo=%s&r2=5" % CODIGO) == 400, "r2=5")
        finally:
            if driver:
                driver.quit()
            servidor.send_signal(signal.SIGTERM)
            salida, errores = servidor.communicate(timeout=20)
        comprobar(servidor.returncode == 0, "recoger terminó con %d" % servidor.returncode)
        # The warning given at start, and nothing about any request.
        comprobar(errores == "Atención: el cuestionario viaja sin cifrar (HTTP); use solo una "
                  "red de confianza.\n", "recoger escribió: " + errores)
        comprobar(not os.path.exists(os.path.join(d, ".empresa.kr2.lock")), "el bloqueo sigue")

        dump = json.loads(subprocess.run([CLI, "dump", empresa], check=True,
                                         capture_output=True, text=True).stdout)
        grupos = {g["nombre"]: g["id"] for g in dump["grupos"]}
        nuevos = [q for q in dump["cuestionarios"] if q["nombre"] != "C000001"]
        comprobar(len(nuevos) == 2, "cuestionarios nuevos: %d" % len(nuevos))
        comprobar(nuevos[1]["respuestas"] == "1" + "0" * 74, "segundo " + nuevos[1]["respuestas"])
        q = nuevos[0]
        comprobar(q["nombre"] == "C000002", q["nombre"])
        comprobar(q["respuestas"] == "".join(esperadas),
                  "respuestas %s, esperadas %s" % (q["respuestas"], "".join(esperadas)))
        comprobar(q["grupos"] == [grupos[TURNO]], "grupos %s" % q["grupos"])
        comprobar(q["sinRespuesta"] == esperadas.count("0"), "sinRespuesta")
    print("Formulario respondido en Chromium y guardado en la empresa")


main()
