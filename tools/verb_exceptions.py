#!/usr/bin/env python3
"""Writes the open stressed e and o of verb forms into the built-in TTS's exceptions.

In the stressed present forms of verbs in -erar, -orar, -etar, -ertar, -estar, -ostar, -erir,
-estir, -essar, -olir, -evar, -ortar, -ogar, -ezar, -oprar and -escar, and some of those of -egar,
-elar, -olar, -ordar, -ovar, -eçar, -ocar, -olhar, -otar and -errar (acelera, acaloras, completas,
acerte, empreste, gosta, interessa, preferem, investe, aboles, importo, jogue, preza, entrego,
revele, isolo, aborde, aprovo, leva, começa, coloco, olha, anoto, encerro), Brazilians open the
stressed e or o. Spelling alone cannot tell these forms from those of the -er verbs (comeram,
comeras, beberem), whose e stays closed, so they are found from a word list: a form is taken when
the list holds its infinitive. Each becomes an entry WORD=RESPELLING with an acute on the stressed
vowel; one entry covers the form with -s and -m too (acelera: aceleras, aceleram). The entries
replace everything after the marker line of the exceptions file.

Usage: tools/verb_exceptions.py [WORD-LIST] [EXCEPTIONS-FILE]
"""
import sys

MARKER = "; VERB FORMS BELOW ARE WRITTEN BY tools/verb_exceptions.py"

# Infinitive ending -> the endings of its forms stressed on the stem.
FAMILIES = {
    "erar": "oae", "orar": "oae", "etar": "oae", "ertar": "oae", "estar": "oae",
    "ostar": "oae", "essar": "oae", "egar": "o", "elar": "e", "olar": "oe", "ordar": "ae",
    "ortar": "oae", "ogar": "oae", "ovar": "oe", "erir": "e", "estir": "e", "olir": "e",
    "evar": "oae", "eçar": "ae", "ocar": "o", "olhar": "ae", "ezar": "oae", "otar": "o",
    "errar": "o", "oprar": "oae", "escar": "oae",
}
# Before e the g of -gar verbs is written gu and the ç of -çar verbs c (jogue, comece).
SPELLED_BEFORE_E = {"g": "gu", "ç": "c"}
# Verbs conjugated otherwise (esta, sobresta are not their forms; chegar keeps a closed e).
# Verbs made from a word with a closed vowel keep it (encabeçar: cabeça; aferrolhar: ferrolho).
SKIPPED_VERBS = {
    "estar", "sobrestar", "achegar", "aconchegar", "chegar", "conchegar", "encabeçar",
    "aferrolhar",
}
# Forms that are first of all nouns or participles with a closed vowel (those are kept).
NOUNS = {
    "aborto", "acerto", "apego", "aperto", "arroto", "assessora", "aterro", "bolo", "boto",
    "broto", "cego", "choco", "choro", "colete", "concerto", "conforto", "conserto", "consolo",
    "controle", "coro", "decoro", "desacerto", "desafogo", "desapego", "desaperto",
    "desassossego", "desconcerto", "desconforto", "desconsolo", "desespero", "desgosto",
    "desinteresse", "desprezo", "desterro", "doutora", "editora", "emprego", "encosto", "enterro",
    "enxerto", "erro", "esgoto", "esmero", "espeto", "etiqueta", "exagero", "gosto", "imposto",
    "interesse", "jogo", "menosprezo", "monitora", "namoro", "pego", "piloto", "porto", "posto",
    "reboco", "reconforto", "refresco", "rego", "renovo", "rogo", "rolo", "soco", "sopro",
    "sossego", "sufoco",
    "tempero", "tijolo", "troco",
}


def before_ending(stem, last):
    """The stem as written before an ending (jog + e: jogue)."""
    return stem[:-1] + SPELLED_BEFORE_E.get(stem[-1], stem[-1]) if last == "e" else stem


def verb_forms(words):
    """(form, respelling) of every stem-stressed form the word list holds."""
    entries = {}
    for infinitive in sorted(words):
        ending = next((e for e in FAMILIES if infinitive.endswith(e)), None)
        if ending is None or infinitive in SKIPPED_VERBS:
            continue
        stem = infinitive[:-2]
        vowel = max(stem.rfind("e"), stem.rfind("o"))
        accented = stem[:vowel] + {"e": "é", "o": "ó"}[stem[vowel]] + stem[vowel + 1:]
        for last in FAMILIES[ending]:
            form = before_ending(stem, last) + last
            if form in NOUNS or not {form, form + "s", form + "m"} & words:
                continue
            entries[form] = before_ending(accented, last) + last
            # The plural of a noun or adjective in -or that is the stem (cor, flor: cores,
            # flores) keeps its closed o, though the form covers the -s too (the comparatives
            # melhores and piores are open, and written by hand).
            if last == "e" and stem.endswith("or") and stem in words and form + "s" in words:
                entries[form + "s"] = stem[:vowel] + "ô" + stem[vowel + 1:] + "es"
    return entries


def main():
    word_list = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/dict/brazilian"
    exceptions = sys.argv[2] if len(sys.argv) > 2 else "data/sivratts/portug.exc"
    with open(word_list, encoding="utf-8") as f:
        words = {w.strip() for w in f if w.strip().islower()}
    with open(exceptions, encoding="cp1252", newline="") as f:
        kept = f.read().split(MARKER)[0].rstrip("\n").split("\n")
    written = {line.split("=")[0] for line in kept}
    generated = [
        f"{form.upper()}={respelling.upper()}"
        for form, respelling in sorted(verb_forms(words).items())
        if form.upper() not in written
    ]
    with open(exceptions, "w", encoding="cp1252", newline="") as f:
        f.write("\n".join(kept + [MARKER] + generated) + "\n")
    print(f"{len(generated)} verb forms written to {exceptions}")


if __name__ == "__main__":
    main()
