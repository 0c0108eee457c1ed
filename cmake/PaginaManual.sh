#!/bin/sh
# Writes the manual page of a command from what its --help prints, so that
# the page says what the command says and cannot fall behind it.
#
#   PaginaManual.sh EXECUTAVEL NOME VERSAO EXTRA SAIDA
#
# EXECUTAVEL --help is read in this shape (Qt's command-line parser, in
# Portuguese, prints it so, and quelix-sql follows it):
#
#   Uso: PROGRAMA SINOPSE
#   description, in paragraphs parted by blank lines
#
#   Opções:
#     -x, --opcao <V>    what it does,
#                        on as many lines as it takes
#
#   Título: a closing paragraph, made a section of its own
#
# The first sentence of the description is the page's one-line summary.
# EXTRA is a piece of man(7) source appended as it is (the files, the other
# pages). SAIDA is written compressed (gzip -9n: no name, no time stamp).
set -eu

EXECUTAVEL=$1
NOME=$2
VERSAO=$3
EXTRA=$4
SAIDA=$5

AJUDA=$(LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen "$EXECUTAVEL" --help)
case "$AJUDA" in
  Uso:*) ;;
  *)
    echo "PaginaManual.sh: $EXECUTAVEL --help does not begin with \"Uso:\"; are Qt's Portuguese" \
         "translations (qt6-translations-l10n) installed?" >&2
    exit 1 ;;
esac

TEMPORARIO=$SAIDA.tmp
printf '%s\n' "$AJUDA" | awk -v nome="$NOME" -v versao="$VERSAO" '
function escapa(texto) {
    gsub(/\\/, "\\e", texto)
    gsub(/-/, "\\-", texto)
    if (texto ~ /^[.\047]/)
        texto = "\\&" texto
    return texto
}
function maiusculas(texto) {
    texto = toupper(texto)
    gsub(/ç/, "Ç", texto); gsub(/õ/, "Õ", texto); gsub(/ã/, "Ã", texto)
    gsub(/á/, "Á", texto); gsub(/é/, "É", texto); gsub(/í/, "Í", texto)
    gsub(/ó/, "Ó", texto); gsub(/ú/, "Ú", texto); gsub(/ê/, "Ê", texto)
    return texto
}
function secao(titulo) {
    print ".SH " maiusculas(titulo)
}
NR == 1 {
    sub(/^Uso: [^ ]+/, "")
    sinopse = $0
    next
}
# The description, up to the first heading.
estado == 0 && /^[^ ].*:$/ {
    estado = 1
}
estado == 0 {
    if ($0 == "") {
        descricao = descricao "\n"
    } else {
        if (resumo == "") {
            resumo = $0
            sub(/\. .*/, "", resumo)
            sub(/\.$/, "", resumo)
        }
        descricao = descricao escapa($0) "\n"
    }
    next
}
{ corpo[++linhas] = $0 }
END {
    print ".TH " toupper(nome) " 1 \"\" \"" nome " " versao "\" \"Comandos do usuário\""
    secao("Nome")
    print escapa(nome) " \\- " escapa(resumo)
    secao("Sinopse")
    print "\\fB" escapa(nome) "\\fR" escapa(sinopse)
    secao("Descrição")
    n = split(descricao, partes, "\n\n")
    for (i = 1; i <= n; ++i) {
        if (partes[i] ~ /^\n*$/)
            continue
        sub(/^\n+/, "", partes[i]); sub(/\n+$/, "", partes[i])
        if (i > 1)
            print ".PP"
        print partes[i]
    }
    for (i = 1; i <= linhas; ++i) {
        linha = corpo[i]
        if (linha ~ /^[^ ].*:$/) {
            sub(/:$/, "", linha)
            secao(linha)
        } else if (linha ~ /^  [^ ]/) {
            # An item: its term, two or more blanks, what it does.
            termo = linha
            sub(/^  /, "", termo)
            texto = ""
            if (match(termo, /   */)) {
                texto = substr(termo, RSTART + RLENGTH)
                termo = substr(termo, 1, RSTART - 1)
            }
            print ".TP"
            print "\\fB" escapa(termo) "\\fR"
            if (texto != "")
                print escapa(texto)
        } else if (linha ~ /^   /) {
            sub(/^ +/, "", linha)
            print escapa(linha)
        } else if (linha ~ /^[^ :]+: /) {
            titulo = linha
            sub(/: .*/, "", titulo)
            sub(/^[^ :]+: /, "", linha)
            secao(titulo)
            print escapa(linha)
        } else if (linha != "") {
            print escapa(linha)
        }
    }
}' > "$TEMPORARIO"
cat "$EXTRA" >> "$TEMPORARIO"
gzip -9n -c "$TEMPORARIO" > "$SAIDA"
rm -f "$TEMPORARIO"
