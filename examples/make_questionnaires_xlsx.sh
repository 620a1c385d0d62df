#!/bin/sh
# Writes questionnaires-xlsx/: the questionnaires of questionnaires/ saved
# again by LibreOffice Calc as zip-based workbooks (.xlsx), names, values and
# document properties carried over. Run once, on a machine with Debian's
# libreoffice-calc; the outputs are committed and nothing runs this
# automatically.
set -eu
cd "$(dirname "$0")"
mkdir -p questionnaires-xlsx
soffice --headless --norestore --convert-to xlsx --outdir questionnaires-xlsx questionnaires/*.xls
