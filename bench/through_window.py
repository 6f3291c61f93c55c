#!/usr/bin/env python3
"""The editor's large-file figures through the real window, as a user meets them, under Xvfb with xdotool.

    bench/through_window.py BUILD_BIN_DIR [--entries N] [--only NAME]

For each file: the editor is started, the file chosen in the open dialog (Ctrl+O, the path typed, Return),
and from Return on an "x" is pressed every few milliseconds. After a few seconds Ctrl+S saves; the x's at
the start of the saved file say which press was the first to reach the text (the view is read-only until
the text is in, so earlier presses are dropped). Its time from Return is the figure. The editor's peak
memory (VmHWM) is read before it quits. Beside each, the bench's bare-widget probe (lorvane-bench
--load-probe=bare,FILE: read, decode, set the text of a QPlainTextEdit) on the same file in the same run.

Then a keystroke and Ctrl+S in a file of one 10 MB line of words: from the key to the file replaced.

Needs xvfb, xdotool. Prints figures; passes or fails nothing."""
import os, subprocess, sys, tempfile, time, argparse


def generated_bibliography(entries, one_line):
    # The bench's own generated bibliography (bench_support.cpp), each entry on its lines or on one line.
    out = []
    for i in range(entries):
        fields = [f"@article{{ref{i},", ' author  = "山田 太郎 and 鈴木 花子",',
                  f' title   = "日本語の文献管理について 第{i}報",', ' journal = "情報処理学会論文誌",',
                  ' year    = "2024",', ' volume  = "65",', ' pages   = "1--12",', ' yomi    = "やまだ",', '}']
        out.append(' '.join(fields) + '\n' if one_line else '\n'.join(fields) + '\n\n')
    return ''.join(out)


class Screen:
    def __init__(self):
        for n in range(120, 180):  # above the displays other tools here take
            if not os.path.exists(f'/tmp/.X{n}-lock') and not os.path.exists(f'/tmp/.X11-unix/X{n}'):
                break
        self.display = f':{n}'
        self.xvfb = subprocess.Popen(['Xvfb', self.display, '-screen', '0', '1280x800x24', '-nolisten', 'tcp'],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.home = tempfile.mkdtemp(prefix='home-')
        self.env = dict(os.environ, DISPLAY=self.display, HOME=self.home, XDG_RUNTIME_DIR=self.home,
                        XDG_CONFIG_HOME=os.path.join(self.home, '.config'), LANG='C.UTF-8', QT_QPA_PLATFORM='xcb')
        for _ in range(100):
            if self.x('getmouselocation').returncode == 0:
                return
            time.sleep(0.1)
        raise RuntimeError('Xvfb did not start')

    def x(self, *args):
        return subprocess.run(['xdotool', *args], env=self.env, capture_output=True, text=True)

    def windows(self):
        ids = self.x('search', '--onlyvisible', '--name', '.').stdout.split()
        return {w: self.x('getwindowname', w).stdout.strip() for w in ids}

    def wait_window(self, test, timeout=60):
        end = time.time() + timeout
        while time.time() < end:
            for w, name in self.windows().items():
                if test(w, name):
                    return w
            time.sleep(0.05)
        raise RuntimeError('no such window')

    def close(self):
        self.xvfb.terminate()
        self.xvfb.wait()
        for _ in range(50):
            if not os.path.exists(f'/tmp/.X{self.display[1:]}-lock'):
                break
            time.sleep(0.1)


def peak_mb(pid):
    with open(f'/proc/{pid}/status') as status:
        for line in status:
            if line.startswith('VmHWM:'):
                return int(line.split()[1]) / 1024
    return 0


def wait_saved(path, stamp, timeout=60):
    end = time.time() + timeout
    while time.time() < end:
        st = os.stat(path)
        if (st.st_mtime_ns, st.st_size) != stamp:
            # Written whole: the size stays the same twice over.
            time.sleep(0.2)
            if (os.stat(path).st_mtime_ns, os.stat(path).st_size) == (st.st_mtime_ns, st.st_size):
                return time.monotonic()
        time.sleep(0.002)
    raise RuntimeError('the file was not saved')


def start_editor(screen, binary):
    app = subprocess.Popen([binary], env=screen.env, cwd=screen.home, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    main = screen.wait_window(lambda w, n: n.endswith('.bib') or n.startswith('新規'))
    screen.x('windowactivate', '--sync', main)
    screen.x('windowfocus', '--sync', main)
    time.sleep(0.3)
    return app, main


def path_in_open_dialog(screen, bin_dir, path):
    # The editor started, its open dialog shown with `path` typed in, Return still to press.
    app, main = start_editor(screen, os.path.join(bin_dir, 'lorvane'))
    screen.x('key', 'ctrl+o')
    screen.wait_window(lambda w, n: w != main)
    time.sleep(0.5)
    screen.x('type', '--delay', '5', path)
    return app, main


def first_keystroke(bin_dir, path, seconds=4.0):
    screen = Screen()
    try:
        app, main = path_in_open_dialog(screen, bin_dir, path)
        time.sleep(0.3)
        sent = []
        returned = time.monotonic()
        screen.x('key', 'Return')
        while time.monotonic() - returned < seconds:
            sent.append(time.monotonic())
            # Without a window manager the main window gets the keyboard back only when told to.
            screen.x('windowfocus', main, 'key', 'x')
            time.sleep(0.005)
        time.sleep(0.5)
        typed = peak_mb(app.pid)
        before = os.stat(path)
        screen.x('windowfocus', '--sync', main, 'key', 'ctrl+s')
        wait_saved(path, (before.st_mtime_ns, before.st_size))
        memory = peak_mb(app.pid)
        with open(path, 'rb') as f:
            head = f.read(len(sent) + 16)
        reached = len(head) - len(head.lstrip(b'x'))
        app.kill()
        app.wait()
        first = sent[len(sent) - reached] - returned if reached else float('nan')
        return first, typed, memory, reached, len(sent)
    finally:
        screen.close()


def bare(bin_dir, path):
    out = subprocess.run([os.path.join(bin_dir, 'lorvane-bench'), f'--load-probe=bare,{path}'],
                         capture_output=True, text=True, env=dict(os.environ, QT_QPA_PLATFORM='offscreen'))
    f = out.stdout.split()
    return float(f[2]), float(f[3])  # total seconds to the text set and painted, peak MB


def keystroke_and_save(bin_dir, path):
    screen = Screen()
    try:
        app, main = path_in_open_dialog(screen, bin_dir, path)
        screen.x('key', 'Return')
        time.sleep(8)
        screen.x('windowfocus', '--sync', main)
        time.sleep(0.3)
        before = os.stat(path)
        pressed = time.monotonic()
        screen.x('key', 'x', 'ctrl+s')
        saved = wait_saved(path, (before.st_mtime_ns, before.st_size))
        app.kill()
        app.wait()
        return saved - pressed - 0.2  # wait_saved's own pause to see the file whole
    finally:
        screen.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('bin_dir')
    parser.add_argument('--entries', type=int, default=150000)
    parser.add_argument('--only')
    args = parser.parse_args()
    args.bin_dir = os.path.abspath(args.bin_dir)
    work = tempfile.mkdtemp(prefix='through-window-')
    lines = generated_bibliography(args.entries, False)
    files = {
        'Shift-JIS, CR LF': ('sjis.bib', lines.replace('\n', '\r\n').encode('cp932')),
        'UTF-8, CR LF': ('utf8.bib', lines.replace('\n', '\r\n').encode('utf-8')),
        'one entry a line, UTF-8': ('oneline.bib', generated_bibliography(args.entries, True).encode('utf-8')),
    }
    print(f'{args.entries} entries; first keystroke to reach the text after Return in the open dialog, '
          'and peak memory, beside a bare QPlainTextEdit given the same file')
    for name, (file, data) in files.items():
        if args.only and args.only not in name:
            continue
        path = os.path.join(work, file)
        with open(path, 'wb') as f:
            f.write(data)
        bare_time, bare_mb = bare(args.bin_dir, path)
        first, memory, saved, reached, sent = first_keystroke(args.bin_dir, path)
        print(f'  {name} ({len(data) / 1e6:.0f} MB): first keystroke {first:.3f} s ({reached} of {sent} '
              f'presses reached), peak {memory:.0f} MB; bare widget editable after {bare_time:.3f} s, '
              f'peak {bare_mb:.0f} MB; memory {memory / bare_mb:.2f}x (after the save too: {saved:.0f} MB)')
        os.remove(path)
    if not args.only or 'line of words' in args.only:
        path = os.path.join(work, 'words.txt')
        words = ('lorem ipsum dolor sit amet consectetur adipiscing elit ' * 200000)[:10_000_000]
        with open(path, 'w') as f:
            f.write(words)
        print(f'  a keystroke and Ctrl+S in a 10 MB line of words, until the file is replaced: '
              f'{keystroke_and_save(args.bin_dir, path):.3f} s')
        os.remove(path)


if __name__ == '__main__':
    main()
