#!/usr/bin/env bash
# The translation check passes on the tree as it is and fails on each planted fault, naming
# it: a new text in a source, a text gone from the sources, a class whose texts would be
# looked up under another name, an unfinished or empty entry, a lost place, a lost keyboard
# letter and a file of the wrong language.
#   check_translations.sh LUPDATE SOURCE_DIR "LUPDATE OPTIONS" FILE...
# FILE: the .ts files and the sources they translate, relative to SOURCE_DIR.
set -euo pipefail
lupdate=$1
source_dir=$2
options=$3
shift 3
files=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
check() { python3 "$source_dir/scripts/check-translations.py" --lupdate "$lupdate" --options "$options" --root "$work/tree" "${files[@]}"; }

fresh() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"
    cp -r "$source_dir/src" "$source_dir/translations" "$work/tree/"
}

fresh
check || { echo "the tree as it is fails the check"; exit 1; }

# A Python expression that changes the text t of one file | the file | what the report must name
while IFS='|' read -r change file says; do
    fresh
    python3 -c "import sys; p = sys.argv[1]; t = open(p, encoding='utf-8').read(); n = $change; assert n != t, 'nothing planted'; open(p, 'w', encoding='utf-8').write(n)" \
        "$work/tree/$file"
    if out=$(check); then
        echo "planted into $file: the check passed"
        exit 1
    fi
    grep -qF -- "$says" <<<"$out" || { echo "planted into $file: report lacks '$says':"; echo "$out"; exit 1; }
done <<'PLANTS'
t.replace('tr("GENERATE")', 'tr("GENERATE NOW")')|src/gui/mainForm.cpp|missing TmainDlg: 'GENERATE NOW'
t.replace('tr("GENERATE")', 'tr("GENERATE NOW")')|src/gui/mainForm.cpp|left over, no longer in the sources: TmainDlg: 'GENERATE'
t.replace('"the video gave no frame"', '"the video gave no picture"')|src/jobs/shortfall.cpp|missing TWording: 'the video gave no picture'
t.replace('<translation>Zeilen</translation>', '<translation type="unfinished">Zeilen</translation>')|translations/trovelle_de.ts|unfinished TsheetDlg: 'Rows'
t.replace('<translation>Lignes</translation>', '<translation></translation>')|translations/trovelle_fr.ts|no translation of TsheetDlg: 'Rows'
t.replace('<translation>Fertig: %1/%2</translation>', '<translation>Fertig: %1</translation>')|translations/trovelle_de.ts|the places of TUIManager: 'Done: %1/%2'
t.replace('<translation>&amp;Fichier</translation>', '<translation>Fichier</translation>')|translations/trovelle_fr.ts|the keyboard letter (&) of TmainDlg: '&File'
t.replace('    Q_DECLARE_TR_FUNCTIONS(TsheetDlg)\n', '')|src/gui/dialogs/sheetForm.h|Class 'TsheetDlg' lacks Q_OBJECT macro
t.replace('language="fr_FR"', 'language="de_DE"')|translations/trovelle_fr.ts|the language is 'de_DE', not 'fr'
PLANTS
echo "the translation check holds the tree and fails on every planted fault"
