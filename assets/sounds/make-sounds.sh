#!/usr/bin/env bash
# Regenerates the eleven game sounds (22050 Hz, mono, 16-bit PCM) in this folder.
# Needs sox and espeak-ng (Debian: apt-get install -y sox espeak-ng).
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fmt=(-r 22050 -c 1 -b 16 -e signed-integer)

# A spoken word, trimmed of silence and levelled. Args: out, pitch (0..99), speed, text.
say() {
    espeak-ng -v pt-br -p "$2" -s "$3" -w "$tmp/raw.wav" "$4"
    sox -R "$tmp/raw.wav" "${fmt[@]}" "$1" silence 1 0.01 0.5% reverse silence 1 0.01 0.5% fade 0.03 reverse \
        fade 0.005 gain -n -2
}

# A wooden knock: a short, low, damped tone over a filtered noise tap.
knock() { # out, frequency, length
    sox -R -n "${fmt[@]}" "$tmp/tone.wav" synth "$3" sine "$2" fade q 0.002 "$3" "$3" gain -4
    sox -R -n "${fmt[@]}" "$tmp/tap.wav" synth 0.03 brownnoise lowpass 1800 fade q 0.001 0.03 0.028 gain -8
    sox -R -m "$tmp/tone.wav" "$tmp/tap.wav" "${fmt[@]}" "$1" gain -n -3
}

# A soft bell note: sine with a quiet octave, long decay.
bell() { # out, frequency, length
    sox -R -n "${fmt[@]}" "$1" synth "$3" sine "$2" sine "$(($2 * 2))" remix 1,2 \
        fade q 0.005 "$3" "$(awk "BEGIN{print $3 * 0.9}")" gain -n -6
}

knock 00-step.wav 190 0.08
say 01-check.wav 55 150 "Xeque!"
say 02-checkmate.wav 55 140 "Xeque-mate!"
say 03-checkman.wav 25 150 "Xeque!"
say 04-checkmateman.wav 25 140 "Xeque-mate!"
# Refused move: two short, low, muffled buzzes.
sox -R -n "${fmt[@]}" "$tmp/b1.wav" synth 0.09 square 150 gain -14 lowpass 900 fade q 0.004 0.09 0.02
sox -R -n "${fmt[@]}" "$tmp/gap.wav" trim 0 0.04
sox -R -n "${fmt[@]}" "$tmp/b2.wav" synth 0.12 square 118 gain -14 lowpass 900 fade q 0.004 0.12 0.05
sox -R "$tmp/b1.wav" "$tmp/gap.wav" "$tmp/b2.wav" "${fmt[@]}" 05-erro.wav gain -n -4
say 06-stalemate.wav 45 140 "Rei afogado."
say 07-draw.wav 45 140 "Empate."
# Promotion: a rising three-note figure.
bell "$tmp/p1.wav" 523 0.16
bell "$tmp/p2.wav" 659 0.16
bell "$tmp/p3.wav" 784 0.40
sox -R "$tmp/p1.wav" "$tmp/p2.wav" "$tmp/p3.wav" "${fmt[@]}" 08-promote.wav gain -n -3
# Capture: a sharper double knock.
knock "$tmp/c1.wav" 260 0.06
knock "$tmp/c2.wav" 150 0.09
sox -R "$tmp/c1.wav" "$tmp/c2.wav" "${fmt[@]}" 09-capture.wav gain -n -2
# Start of a network game: two calm bell notes, a fifth apart.
bell "$tmp/s1.wav" 392 0.22
bell "$tmp/s2.wav" 587 0.55
sox -R "$tmp/s1.wav" "$tmp/s2.wav" "${fmt[@]}" 10-start.wav gain -n -3
ls -l ./*.wav
