#!/usr/bin/env python3
"""Self-play of corvane-engine through its UCI interface.

Plays complete games of the engine against itself (two processes, one per
side, each with its own level and fixed seed) and checks every move and status
with a small rules implementation of its own, written independently of the
engine: the move must be legal, "CHECK" must be a check, "XEQUE-MATE" a
checkmate, "<n> Key move = ..." the start of a forced mate in n (brute force),
"STALEMATE" a side without legal moves, "DRAW" bare material or a repetition.
The engine's own "go perft 1" list is compared with the legal moves too.

Usage: selfplay.py ENGINE [GAMES]   (exit status 1 on any fault)
"""
import subprocess
import sys
import time

FILES = "abcdefgh"
KNIGHT = [(1, 2), (2, 1), (2, -1), (1, -2), (-1, -2), (-2, -1), (-2, 1), (-1, 2)]
KING = [(1, 0), (1, 1), (0, 1), (-1, 1), (-1, 0), (-1, -1), (0, -1), (1, -1)]
ROOK = [(1, 0), (0, 1), (-1, 0), (0, -1)]
BISHOP = [(1, 1), (1, -1), (-1, 1), (-1, -1)]


class Pos:
    def __init__(self):
        self.b = {}
        back = "RNBQKBNR"
        for f in range(8):
            self.b[(0, f)] = "w" + back[f]
            self.b[(1, f)] = "wP"
            self.b[(6, f)] = "bP"
            self.b[(7, f)] = "b" + back[f]
        self.side = "w"
        self.castle = {"wK", "wQ", "bK", "bQ"}
        self.ep = None  # square a pawn may capture onto

    def copy(self):
        p = Pos.__new__(Pos)
        p.b = dict(self.b)
        p.side, p.castle, p.ep = self.side, set(self.castle), self.ep
        return p

    def attacked(self, sq, by):
        r, f = sq
        d = 1 if by == "w" else -1
        for df in (-1, 1):
            if self.b.get((r - d, f + df)) == by + "P":
                return True
        for dr, df in KNIGHT:
            if self.b.get((r + dr, f + df)) == by + "N":
                return True
        for dr, df in KING:
            if self.b.get((r + dr, f + df)) == by + "K":
                return True
        for dirs, kinds in ((ROOK, "RQ"), (BISHOP, "BQ")):
            for dr, df in dirs:
                rr, ff = r + dr, f + df
                while 0 <= rr < 8 and 0 <= ff < 8:
                    p = self.b.get((rr, ff))
                    if p:
                        if p[0] == by and p[1] in kinds:
                            return True
                        break
                    rr, ff = rr + dr, ff + df
        return False

    def king(self, side):
        for sq, p in self.b.items():
            if p == side + "K":
                return sq
        return None

    def in_check(self, side):
        k = self.king(side)
        return k is not None and self.attacked(k, "b" if side == "w" else "w")

    def pseudo(self):
        s, o = self.side, "b" if self.side == "w" else "w"
        for (r, f), p in list(self.b.items()):
            if p[0] != s:
                continue
            k = p[1]
            if k == "P":
                d = 1 if s == "w" else -1
                last = 7 if s == "w" else 0
                start = 1 if s == "w" else 6
                if (r + d, f) not in self.b:
                    yield (r, f, r + d, f, "q" if r + d == last else "")
                    if r == start and (r + 2 * d, f) not in self.b:
                        yield (r, f, r + 2 * d, f, "")
                for df in (-1, 1):
                    t = (r + d, f + df)
                    if not 0 <= t[1] < 8:
                        continue
                    if (self.b.get(t, " ")[0] == o) or t == self.ep:
                        yield (r, f, t[0], t[1], "q" if t[0] == last else "")
            elif k in "NK":
                for dr, df in KNIGHT if k == "N" else KING:
                    t = (r + dr, f + df)
                    if 0 <= t[0] < 8 and 0 <= t[1] < 8 and self.b.get(t, " ")[0] != s:
                        yield (r, f, t[0], t[1], "")
                if k == "K":
                    home = 0 if s == "w" else 7
                    if (r, f) == (home, 4) and not self.attacked((r, f), o):
                        if (s + "K" in self.castle and self.b.get((home, 7)) == s + "R"
                                and (home, 5) not in self.b and (home, 6) not in self.b
                                and not self.attacked((home, 5), o)):
                            yield (r, f, home, 6, "")
                        if (s + "Q" in self.castle and self.b.get((home, 0)) == s + "R"
                                and all((home, x) not in self.b for x in (1, 2, 3))
                                and not self.attacked((home, 3), o)):
                            yield (r, f, home, 2, "")
            else:
                dirs = ROOK if k == "R" else BISHOP if k == "B" else ROOK + BISHOP
                for dr, df in dirs:
                    rr, ff = r + dr, f + df
                    while 0 <= rr < 8 and 0 <= ff < 8:
                        t = self.b.get((rr, ff))
                        if t and t[0] == s:
                            break
                        yield (r, f, rr, ff, "")
                        if t:
                            break
                        rr, ff = rr + dr, ff + df

    def play(self, m):
        r, f, tr, tf, promo = m
        n = self.copy()
        p = n.b.pop((r, f))
        if p[1] == "P" and (tr, tf) == self.ep:
            n.b.pop((r, tf), None)
        if p[1] == "K" and abs(tf - f) == 2:
            rf, rt = (7, 5) if tf == 6 else (0, 3)
            n.b[(r, rt)] = n.b.pop((r, rf))
        n.b[(tr, tf)] = p[0] + promo.upper() if promo else p
        n.ep = ((r + tr) // 2, f) if p[1] == "P" and abs(tr - r) == 2 else None
        for sq, right in (((0, 4), "wK"), ((0, 4), "wQ"), ((0, 7), "wK"), ((0, 0), "wQ"),
                          ((7, 4), "bK"), ((7, 4), "bQ"), ((7, 7), "bK"), ((7, 0), "bQ")):
            if (r, f) == sq or (tr, tf) == sq:
                n.castle.discard(right)
        n.side = "b" if self.side == "w" else "w"
        return n

    def legal(self, all_promotions=False):
        out = []
        for m in self.pseudo():
            promos = ["q", "r", "b", "n"] if (m[4] and all_promotions) else [m[4]]
            for pr in promos:
                mm = m[:4] + (pr,)
                n = self.play(mm)
                if not n.in_check(self.side):
                    out.append(mm)
        return out


def uci(m):
    return FILES[m[1]] + str(m[0] + 1) + FILES[m[3]] + str(m[2] + 1) + m[4]


def forced_mate(pos, n):
    """True when the side to move mates in at most n moves against every defence
    (the defender may promote to any piece)."""
    for m in pos.legal():
        a = pos.play(m)
        replies = a.legal(all_promotions=True)
        if not replies:
            if a.in_check(a.side):
                return True
            continue
        if n > 1 and all(forced_mate(a.play(r), n - 1) for r in replies):
            return True
    return False


def forced_mate_after(pos, n):
    """pos is after the key move: every defence loses to a mate in n - 1 more."""
    replies = pos.legal(all_promotions=True)
    if not replies:
        return pos.in_check(pos.side)
    return n > 1 and all(forced_mate(pos.play(r), n - 1) for r in replies)


class Engine:
    def __init__(self, path, level, seed):
        self.p = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  text=True, bufsize=1)
        self.send("uci")
        self.wait("uciok")
        self.send(f"setoption name Nivel value {level}")
        self.send(f"setoption name Seed value {seed}")
        self.send("ucinewgame")

    def send(self, line):
        self.p.stdin.write(line + "\n")
        self.p.stdin.flush()

    def wait(self, prefix, timeout=60.0):
        lines = []
        start = time.time()
        while True:
            line = self.p.stdout.readline()
            if not line:
                raise RuntimeError("engine ended")
            lines.append(line.rstrip("\n"))
            if line.startswith(prefix):
                return lines
            if time.time() - start > timeout:
                raise RuntimeError("engine hangs")

    def close(self):
        self.send("quit")
        self.p.wait(timeout=10)


def insufficient(pos):
    pieces = {"w": [], "b": []}
    for p in pos.b.values():
        if p[1] != "K":
            pieces[p[0]].append(p[1])
    if not pieces["w"] and not pieces["b"]:
        return True
    if len(pieces["w"]) > 1 or len(pieces["b"]) > 1:
        return False
    return all(k in "NB" for k in pieces["w"] + pieces["b"])


def play_game(path, wl, bl, seed, max_plies, faults):
    engines = {"w": Engine(path, wl, seed), "b": Engine(path, bl, seed + 1)}
    pos, moves, seen = Pos(), [], {}
    result = "ply limit"
    for ply in range(max_plies):
        eng = engines[pos.side]
        eng.send("position startpos" + (" moves " + " ".join(moves) if moves else ""))
        legal = pos.legal()
        eng.send("go perft 1")
        listed = {l.split(":")[0] for l in eng.wait("Nodes searched") if ":" in l and
                  not l.startswith("Nodes")}
        if listed != {uci(m) for m in legal}:
            faults.append(f"perft 1 list differs after {moves}: {sorted(listed ^ {uci(m) for m in legal})}")
        eng.send("go")
        out = eng.wait("bestmove")
        status = next((l for l in out if l.startswith("info string status")), "")
        status = status[len("info string status "):].rsplit(" move ", 1)[0]
        best = out[-1].split()[1]
        where = f"game {wl}/{bl} seed {seed} ply {ply} ({' '.join(moves)}): {best} '{status}'"
        if best == "0000":
            if status == "STALEMATE" and not legal:
                result = "mate" if pos.in_check(pos.side) else "stalemate"
            elif status == "DRAW" and insufficient(pos):
                result = "draw by material"
            else:
                faults.append("no move: " + where)
                result = "fault"
            break
        move = next((m for m in legal if uci(m) == best), None)
        if move is None:
            faults.append("illegal move: " + where)
            result = "fault"
            break
        after = pos.play(move)
        opp_moves = after.legal()
        check = after.in_check(after.side)
        if status.endswith("XEQUE-MATE"):
            if not (check and not opp_moves):
                faults.append("false mate: " + where)
        elif "Key move" in status:
            n = int(status.split()[0])
            if n <= 3 or len(after.b) <= 6:
                if not forced_mate_after(after, n):
                    faults.append("false forced mate: " + where)
            if status.endswith("CHECK") != check:
                faults.append("key move check flag wrong: " + where)
        elif status == "CHECK":
            if not check:
                faults.append("false check: " + where)
        elif status == "DRAW":
            key = (tuple(sorted(after.b.items())), after.side)
            if seen.get(key, 0) < 1 and not insufficient(after):
                faults.append("unexplained draw: " + where)
        elif status == "":
            if check:
                faults.append("check not reported: " + where)
        else:
            faults.append("unknown status: " + where)
        moves.append(best)
        pos = after
        key = (tuple(sorted(pos.b.items())), pos.side)
        seen[key] = seen.get(key, 0) + 1
        if not opp_moves:
            result = "mate" if check else "stalemate"
            break
        if status == "DRAW" or insufficient(pos):
            result = "draw"
            break
        if seen[key] >= 3:
            result = "threefold"
            break
    for e in engines.values():
        e.close()
    return result, len(moves)


def main():
    path = sys.argv[1]
    games = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    faults = []
    levels = [(1, 1), (2, 2), (3, 3), (1, 2), (2, 1), (1, 3), (3, 1), (2, 3), (3, 2)]
    for g in range(games):
        wl, bl = levels[g % len(levels)]
        seed = 1000 + 17 * g
        t = time.time()
        result, n = play_game(path, wl, bl, seed, 240, faults)
        print(f"game {g + 1}: levels {wl}/{bl} seed {seed}: {result} after {n} plies "
              f"({time.time() - t:.1f} s)", flush=True)
    for f in faults:
        print("FAULT", f)
    print(f"{games} games, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
