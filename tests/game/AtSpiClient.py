#!/usr/bin/env python3
# An assistive-technology client over AT-SPI: starts the board program, finds
# the board's squares by their Portuguese names, plays "e4" and waits for the
# announcement's name-change event. Exit 0 on success, 1 on a failure.
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

APP = "corvane-atspi-board"


def fail(text):
    print("FALHA: " + text)
    sys.exit(1)


def find_app(deadline):
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            child = desktop.getChildAtIndex(i)
            if child is not None and child.name == APP:
                return child
        time.sleep(0.2)
    return None


def board_of(app):
    return pyatspi.findDescendant(
        app, lambda x: x is not None and x.getRole() == pyatspi.ROLE_TABLE and x.name == "Tabuleiro")


def square_names(board):
    return [board.getChildAtIndex(i).name for i in range(board.childCount)]


def main():
    program = sys.argv[1]
    proc = subprocess.Popen([program], stdin=subprocess.PIPE)
    try:
        app = find_app(time.monotonic() + 8)
        if app is None:
            # Once more, the registry being surely up by now.
            proc.kill()
            proc.wait()
            proc = subprocess.Popen([program], stdin=subprocess.PIPE)
            app = find_app(time.monotonic() + 8)
        if app is None:
            fail("o programa não apareceu no barramento de acessibilidade")
        board = None
        deadline = time.monotonic() + 10
        while board is None and time.monotonic() < deadline:
            board = board_of(app)
            if board is None:
                time.sleep(0.2)
        if board is None:
            def dump(node, depth=0):
                print("  " * depth + "%s '%s'" % (node.getRoleName(), node.name))
                if depth < 6:
                    for i in range(min(node.childCount, 10)):
                        dump(node.getChildAtIndex(i), depth + 1)
            dump(app)
            fail("o tabuleiro não foi encontrado")
        names = square_names(board)
        if len(names) != 64:
            fail("o tabuleiro tem %d casas" % len(names))
        for expected in ("a8, torre preta", "d8, dama preta", "e2, peão branco", "e4, vazia", "h1, torre branca"):
            if expected not in names:
                fail("falta a casa '%s' em %s" % (expected, names))

        heard = []

        def on_name(event):
            role = event.source.getRole()
            if role in (pyatspi.ROLE_STATUS_BAR, pyatspi.ROLE_NOTIFICATION):
                heard.append(event.source.name)

        pyatspi.Registry.registerEventListener(on_name, "object:property-change:accessible-name")
        deadline = time.monotonic() + 15

        def play():
            proc.stdin.write(b"e4\n")
            proc.stdin.flush()
            return False

        def look():
            if heard or time.monotonic() > deadline:
                pyatspi.Registry.stop()
                return False
            return True

        GLib.timeout_add(300, play)
        GLib.timeout_add(100, look)
        pyatspi.Registry.start()
        if "Peão branco de e2 para e4" not in heard:
            fail("anúncio não ouvido: %s" % heard)
        names = square_names(board)
        if "e4, peão branco" not in names or "e2, vazia" not in names:
            fail("as casas não mudaram de nome depois do lance")
        print("ok: 64 casas, anúncio '%s'" % heard[0])
    finally:
        proc.stdin.close()
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            proc.kill()


main()
