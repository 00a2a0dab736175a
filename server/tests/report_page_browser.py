#!/usr/bin/python3
"""The report page in a real browser.

Headless Chromium opens the link the candidate window opens for typed
"sa-ek b'n" with បាន offered (built by `sorla report-url`, the same code as
the DLL), checks that the page shows both, types the word meant in Khmer,
sends the form, and finds the word in the maintainers' export. A screenshot
of the filled page is kept.

usage: report_page_browser.py SORLA_REPORTS SORLA SCREENSHOT.png
Exit status 77 (skipped) when Chromium or its driver is not installed.
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

TYPED = "sa-ek b'n"
OFFERED = "បាន"
MEANT = "ស្អែក"
ADMIN_TOKEN = "browser-test-token"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def get(url, headers=None):
    request = urllib.request.Request(url, headers=headers or {})
    with urllib.request.urlopen(request, timeout=5) as response:
        return response.read().decode("utf-8")


def wait_until_up(base):
    for _ in range(250):
        try:
            if get(base + "/healthz") == "ok\n":
                return
        except OSError:
            time.sleep(0.02)
    raise RuntimeError("sorla-reports did not start")


def run(reports_exe, sorla_exe, screenshot, workdir):
    from selenium import webdriver
    from selenium.webdriver.chrome.options import Options
    from selenium.webdriver.chrome.service import Service
    from selenium.common.exceptions import TimeoutException
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.expected_conditions import text_to_be_present_in_element
    from selenium.webdriver.support.wait import WebDriverWait

    base = "http://127.0.0.1:%d" % free_port()
    env = dict(os.environ, SORLA_ADMIN_TOKEN=ADMIN_TOKEN)
    with open(os.path.join(workdir, "service.log"), "w") as log:
        service = subprocess.Popen(
            [reports_exe, "--listen", base[len("http://"):],
             "--db", "sqlite:" + os.path.join(workdir, "reports.sqlite")],
            env=env, stdout=log, stderr=log)
    try:
        wait_until_up(base)
        link = subprocess.check_output(
            [sorla_exe, "report-url", "--base", base + "/report", "--offered", OFFERED, TYPED],
            text=True).strip()

        options = Options()
        options.binary_location = shutil.which("chromium")
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu",
                         "--disable-dev-shm-usage", "--window-size=800,600",
                         "--lang=km"):
            options.add_argument(argument)
        browser = webdriver.Chrome(service=Service(shutil.which("chromedriver")),
                                   options=options)
        try:
            browser.get(link)
            assert browser.find_element(By.ID, "typed").text == TYPED, browser.page_source
            assert browser.find_element(By.ID, "offered").text == OFFERED, browser.page_source
            browser.find_element(By.NAME, "meant").send_keys(MEANT)
            browser.find_element(By.NAME, "note").send_keys("<script>alert(1)</script>")
            os.makedirs(os.path.dirname(screenshot), exist_ok=True)
            browser.save_screenshot(screenshot)
            browser.find_element(By.CSS_SELECTOR, "button[type=submit]").click()
            # The form's page may still be showing: wait for the answer's.
            try:
                WebDriverWait(browser, 10).until(
                    text_to_be_present_in_element((By.TAG_NAME, "h1"), "Thank you"))
            except TimeoutException:
                raise AssertionError(browser.page_source)
        finally:
            browser.quit()

        exported = get(base + "/admin/export.txt",
                       {"Authorization": "Bearer " + ADMIN_TOKEN})
        # One seed-text line: the word, a tab, the typed words run together.
        assert MEANT + "\tsa-ekb'n\n" in exported, exported
    finally:
        service.terminate()
        service.wait(timeout=10)
    return 0


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    if not shutil.which("chromium") or not shutil.which("chromedriver"):
        print("skipped: chromium and chromium-driver are not installed")
        return 77
    with tempfile.TemporaryDirectory() as workdir:
        try:
            return run(sys.argv[1], sys.argv[2], sys.argv[3], workdir)
        except Exception:
            # What the service logged tells a failure of the page from one of
            # the browser.
            with open(os.path.join(workdir, "service.log")) as log:
                print("sorla-reports said:\n" + log.read(), file=sys.stderr)
            raise


if __name__ == "__main__":
    sys.exit(main())
