"""End-to-end bench: the built updater in a fresh Wine prefix, against a real
HTTPS update server on loopback, driven by the UI driver.

Each scenario gets its own prefix, made in about a second from a template
prefix (hard links for Wine's own files, real copies of the registry files
and of everything the program may change). The template is created once per
build folder. One Xvfb display serves every prefix of a test process.
"""
import atexit
import fcntl
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

SOURCE_DIR = os.environ.get("ARKENFEL_SOURCE_DIR") or os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
BINARY_DIR = os.environ.get("ARKENFEL_BINARY_DIR") or os.path.join(SOURCE_DIR, "build-test-i686")
BIN = os.path.join(BINARY_DIR, "bin")
NATIVE_RELEASE_TOOL = os.path.join(BINARY_DIR, "native", "arkenfel_release_list")
E2E_DIR = os.path.join(BINARY_DIR, "e2e")
WINE_DIR = os.path.join(SOURCE_DIR, "tests", "wine")


def server_port():
    """The port of the update server address compiled into this build."""
    with open(os.path.join(BINARY_DIR, "CMakeCache.txt"), encoding="utf-8") as cache:
        for line in cache:
            if line.startswith("UPDATE_SERVER_URL:"):
                match = re.search(r"https://localhost:(\d+)/", line)
                if match:
                    return int(match.group(1))
    raise RuntimeError("this build's UPDATE_SERVER_URL is not https://localhost:<port>/...")


def win_path(unix_path):
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


# --- display -----------------------------------------------------------------

_display = {"value": os.environ.get("DISPLAY"), "proc": None}


def display():
    """The X display for the Wine programs: the caller's, or an Xvfb of our own
    on a display number that Xvfb picks itself."""
    if _display["value"]:
        return _display["value"]
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write_end,),
                            start_new_session=True)
    os.close(write_end)
    with os.fdopen(read_end) as reply:
        number = reply.readline().strip()
    if not number:
        proc.kill()
        raise RuntimeError("Xvfb did not start")
    _display.update(value=":" + number, proc=proc)

    def stop():
        proc.terminate()  # lets Xvfb remove its lock file
        proc.wait()
    atexit.register(stop)
    return _display["value"]


# --- prefixes ------------------------------------------------------------------

def build_arch():
    """The mode this build was configured for: i686 or x86_64 (tests/wine/mode.sh)."""
    with open(os.path.join(BINARY_DIR, "CMakeCache.txt"), encoding="utf-8") as cache:
        for line in cache:
            if line.startswith("ARKENFEL_ARCH:"):
                return line.split("=", 1)[1].strip()
    raise RuntimeError("this build records no ARKENFEL_ARCH: configure it again")


_envs = {}


def _bench_env(bench_dir):
    """The environment in which tests/wine/env.sh runs Windows programs for a
    bench folder: that script is the one place that decides it."""
    if bench_dir not in _envs:
        base = dict(os.environ, BENCH_DIR=bench_dir, ARKENFEL_ARCH=build_arch(), DISPLAY=display())
        made = subprocess.run(["bash", "-c", '. "$0" && env -0', os.path.join(WINE_DIR, "env.sh")], env=base,
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, check=True)
        _envs[bench_dir] = dict(item.split("=", 1) for item in made.stdout.decode().split("\0") if "=" in item)
    return _envs[bench_dir]


def _template_stamp():
    """What the template is made from: a build folder whose template came from
    other setup scripts makes it again."""
    digest = hashlib.sha256()
    for script in (os.path.join(WINE_DIR, "setup.sh"), os.path.join(WINE_DIR, "..", "server", "make_test_ca.sh")):
        with open(script, "rb") as f:
            digest.update(f.read())
    return digest.hexdigest()


def _template_dir():
    """A prefix made by the bench setup script, with the test CA trusted."""
    template = os.path.join(E2E_DIR, "template")
    ready = os.path.join(template, "ready")
    os.makedirs(E2E_DIR, exist_ok=True)
    with open(os.path.join(E2E_DIR, "template.lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        stamp = _template_stamp()
        if not os.path.exists(ready) or open(ready).read() != stamp:
            shutil.rmtree(template, ignore_errors=True)
            env = dict(os.environ, DISPLAY=display(), ARKENFEL_ARCH=build_arch())
            subprocess.run([os.path.join(WINE_DIR, "setup.sh"), template, os.path.join(BIN, "trust_test_ca.exe")],
                           env=env, check=True, stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
            subprocess.run([os.path.join(WINE_DIR, "teardown.sh"), template], env=env,
                           stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
            with open(ready, "w") as f:
                f.write(stamp)
    return template


# Folders of a prefix that a scenario may write into: copied for real, never linked.
_WRITABLE = ("drive_c/users", "drive_c/ProgramData", "drive_c/windows/Fonts", "drive_c/windows/system32/drivers/etc")


class Prefix:
    """A fresh Wine prefix for one scenario; removed with everything in it by close()."""

    def __init__(self, name, reuse=False):
        """reuse: keep a prefix of that name from an earlier run when there is one."""
        self.dir = os.path.join(E2E_DIR, name)
        if not (reuse and os.path.exists(os.path.join(self.dir, "ready"))):
            self._create_from_template()
        self.env = _bench_env(self.dir)
        self.tls = os.path.join(self.dir, "tls")
        self._server = subprocess.Popen([self.env["ARKENFEL_WINESERVER"], "-p", "-f"], env=self.env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)

    def _create_from_template(self):
        template = _template_dir()
        self.close_wineserver()
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        shutil.copytree(os.path.join(template, "locale"), os.path.join(self.dir, "locale"))
        shutil.copytree(os.path.join(template, "tls"), os.path.join(self.dir, "tls"))
        prefix = os.path.join(self.dir, "prefix")
        subprocess.run(["cp", "-al", os.path.join(template, "prefix"), prefix], check=True)
        for reg in ("system.reg", "user.reg", "userdef.reg"):
            os.remove(os.path.join(prefix, reg))
            shutil.copy2(os.path.join(template, "prefix", reg), os.path.join(prefix, reg))
        for rel in _WRITABLE:
            target = os.path.join(prefix, rel)
            if os.path.isdir(target):
                shutil.rmtree(target)
                shutil.copytree(os.path.join(template, "prefix", rel), target, symlinks=True)
        open(os.path.join(self.dir, "ready"), "w").close()

    # paths
    def c(self, windows_path):
        """The Unix path of a C: path of this prefix."""
        assert windows_path[:3].upper() == "C:\\", windows_path
        return os.path.join(self.dir, "prefix", "drive_c", windows_path[3:].replace("\\", "/"))

    @property
    def home(self):
        return self.c("C:\\ARKENFEL\\")

    # processes
    def wine(self, args, timeout=120, check=True, env=None):
        """Runs a Windows program to its end; its output goes to files first (Wine
        processes may outlive the call and hold pipes open). `env` adds to or
        overrides the prefix's environment (WINEDEBUG, WINEDLLOVERRIDES, ...)."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            proc = subprocess.run([self.env["ARKENFEL_WINE"]] + list(args), env=dict(self.env, **(env or {})),
                                  stdin=subprocess.DEVNULL, stdout=out,
                                  stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            proc.stdout, proc.stderr = out.read(), err.read()
        if check and proc.returncode != 0:
            raise RuntimeError("wine %s failed (%d): %s" % (args, proc.returncode, proc.stderr[-2000:]))
        return proc

    def drive(self, command, answers=(), answers_once=(), reads=(), timeout_ms=90000, screenshot=None,
              screenshot_when=None, wait_all=True, name="run", env=None):
        """Runs a command line under the UI driver; every box is answered (by the
        rules given, else by its default button and reported as unanswered)."""
        log = os.path.join(self.dir, name + ".log")
        args = [os.path.join(BIN, "uidriver.exe"), "--log", win_path(log), "--timeout", str(timeout_ms)]
        for rule in answers:
            args += ["--answer", rule]
        for rule in answers_once:
            args += ["--answer-once", rule]
        for read in reads:
            args += ["--read", read]
        if screenshot:
            args += ["--screenshot", win_path(screenshot)]
            if screenshot_when:
                args += ["--screenshot-when", screenshot_when]
        if wait_all:
            args.append("--wait-all")
        args += ["--"] + list(command)
        proc = self.wine(args, timeout=timeout_ms / 1000 + 60, check=False, env=env)
        with open(os.path.join(self.dir, name + ".stderr"), "wb") as err:
            err.write(proc.stderr)
        return DriverRun(log, proc.returncode)

    def install_updater(self, exe_name="Arkenfel_Update.exe", folder="C:\\ARKENFEL\\"):
        os.makedirs(self.c(folder), exist_ok=True)
        target = self.c(folder + "Arkenfel_Update.exe")
        shutil.copy2(os.path.join(BIN, exe_name), target)
        return folder + "Arkenfel_Update.exe"

    def run_updater(self, args=(), path="C:\\ARKENFEL\\Arkenfel_Update.exe", **kw):
        kw.setdefault("reads", ["*:1015,1016,1017,1018"])
        return self.drive([path] + list(args), **kw)

    # registry (read through Wine's own reg.exe, never from the files of a live prefix)
    @staticmethod
    def _view(key):
        """The updater keeps its machine-wide values in the 32-bit view."""
        return ["/reg:32"] if key.upper().startswith("HKLM\\SOFTWARE\\") else []

    def reg_query(self, key, value):
        """A value's data as reg.exe shows it; value "" is the key's default value."""
        selector = ["/ve"] if value == "" else ["/v", value]
        proc = self.wine(["reg", "query", key] + selector + self._view(key), check=False)
        if proc.returncode != 0:
            return None
        for line in proc.stdout.decode("utf-8", "replace").splitlines():
            match = re.match(r"\s+(.*?)\s+(REG_[A-Z_]+)(?:\s+(.*))?$", line)
            if match and (value == "" or match.group(1) == value):
                return match.group(3) or ""
        return None

    def stored_value(self, key, value):
        """The raw text that user.reg (HKCU) or system.reg (HKLM, in the 32-bit
        view) holds for a value (the wineserver is stopped first so that the
        file is current), or None."""
        self.close_wineserver()
        root, path = key.split("\\", 1)
        machine = root.upper() == "HKLM"
        if machine and build_arch() == "x86_64" and path.upper().startswith("SOFTWARE\\"):
            path = "Software\\Wow6432Node\\" + path.split("\\", 1)[1]
        section = "[" + path.replace("\\", "\\\\") + "]"
        with open(os.path.join(self.dir, "prefix", "system.reg" if machine else "user.reg"), encoding="utf-8",
                  errors="replace") as reg:
            inside = False
            for line in reg:
                if line.startswith("["):
                    inside = line.lower().startswith(section.lower())
                elif inside and line.startswith('"%s"=' % value):
                    return line.split("=", 1)[1].strip()
        return None

    def reg_add(self, key, value, data, kind="REG_SZ"):
        self.wine(["reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f"] + self._view(key))

    def reg_add_key(self, key):
        self.wine(["reg", "add", key, "/f"])

    def keys(self, *keys):
        """Types keys into the display the way a person would: the pointer over
        Wine's desktop window gives it the X focus, and Wine hands the keys to
        its foreground window."""
        subprocess.run(["xdotool", "mousemove", "512", "384", "sleep", "0.2", "key", "--delay", "150"] + list(keys),
                       env=self.env, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)

    def spawn(self, args):
        """Starts a Windows program in the background; close() ends it with the prefix."""
        return subprocess.Popen([self.env["ARKENFEL_WINE"]] + list(args), env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)

    def close_wineserver(self):
        if os.path.isdir(os.path.join(self.dir, "prefix")):
            env = _bench_env(self.dir)
            subprocess.run([env["ARKENFEL_WINESERVER"], "-k"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=30)

    def close(self, keep=False):
        self.close_wineserver()
        if getattr(self, "_server", None):
            try:
                self._server.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._server.kill()
        if not keep:
            shutil.rmtree(self.dir, ignore_errors=True)


class DriverRun:
    def __init__(self, log, exit_code):
        self.exit_code = exit_code
        self.events = []
        if os.path.exists(log):
            with open(log, encoding="utf-8") as f:
                self.events = [json.loads(line) for line in f if line.strip()]

    def of(self, event):
        return [e for e in self.events if e["event"] == event]

    @property
    def timed_out(self):
        return any(e["event"] == "timeout" for e in self.events) or self.exit_code == 124

    def boxes(self):
        return [e["text"] for e in self.of("box")]

    def unanswered(self):
        return [e for e in self.of("answer") if e.get("unanswered")]

    def texts(self, control_id):
        """Every text control `control_id` showed, in order: each text the programs
        set (the driver's `settext` events) when the driver recorded any for it,
        else the changes its polling saw (`control` events), which miss short-lived
        texts."""
        set_texts = [e["text"] for e in self.of("settext") if e["id"] == control_id]
        return set_texts or [e["text"] for e in self.of("control") if e["id"] == control_id]

    def last_text(self, control_id):
        texts = self.texts(control_id)
        return texts[-1] if texts else None

    def started(self):
        """File names of every process the run followed, the started one first."""
        names = []
        for start in self.of("start"):
            cmd = start["cmd"]
            program = cmd[1:].split('"', 1)[0] if cmd.startswith('"') else cmd.split(" ", 1)[0]
            names.append(program.rsplit("\\", 1)[-1])
        # A process seen through its parent before its name was known carries an
        # empty name; its exit event names it.
        known = {e["pid"]: e["exe"] for e in self.events if e.get("exe")}
        return names + [e["exe"] or known.get(e["pid"], "") for e in self.of("process")]


# --- update servers -------------------------------------------------------------

class Release:
    """A release folder as the server serves it: <root>/vantero/gateway.ini and
    <root>/vantero/<version>/..., with the update list written by the operators'
    release list tool (run in a prefix, so the updater and the list agree)."""

    def __init__(self, root):
        self.root = root
        self.top = os.path.join(root, "vantero")
        os.makedirs(self.top, exist_ok=True)

    def folder(self, version):
        return os.path.join(self.top, version)

    def put(self, version, rel, data=None, source=None):
        path = os.path.join(self.folder(version), rel.replace("\\", "/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if source:
            shutil.copyfile(source, path)
        else:
            with open(path, "wb") as f:
                f.write(data if isinstance(data, bytes) else data.encode("cp949"))
        return path

    def publish(self, prefix, version, tool_args=(), gateway_keys=None, native=False):
        """Writes the version's Arkenfel_List.ini with the release list tool and
        the gateway naming this version; `native`: with the Linux tool, whose
        tool_args name Linux paths."""
        place = (lambda path: path) if native else win_path
        args = ["--release", place(self.folder(version))] + list(tool_args) + ["--gateway", place(self.top)]
        for key in (gateway_keys or []):
            args += ["--key", key]
        if not native:
            return prefix.wine([os.path.join(BIN, "arkenfel_release_list.exe")] + args)
        done = subprocess.run([NATIVE_RELEASE_TOOL] + args, capture_output=True, timeout=120, stdin=subprocess.DEVNULL)
        if done.returncode != 0:
            raise RuntimeError("the Linux release tool failed: %s" % done.stderr.decode("utf-8", "replace"))
        return done

    def write_gateway(self, text):
        with open(os.path.join(self.top, "gateway.ini"), "wb") as f:
            f.write(text.encode("cp949"))


def _require_free_port(port):
    import socket
    with socket.socket() as probe:
        if probe.connect_ex(("127.0.0.1", port)) == 0:
            raise RuntimeError("port %d is taken by another process: stop it before the end-to-end tests" % port)


class UpdateServer:
    """The fault-injecting test server on this build's port (or another), serving
    a release root with the localhost certificate (or another of tls_dir)."""

    def __init__(self, root, tls_dir, state_dir, port=None, certificate="localhost"):
        self.port = port or server_port()
        _require_free_port(self.port)
        self.root, self.state = root, state_dir
        self.control = os.path.join(state_dir, "control")
        self.log = os.path.join(state_dir, "requests.log")
        os.makedirs(self.control, exist_ok=True)
        open(self.log, "w").close()
        self.proc = subprocess.Popen(
            ["/usr/bin/python3", os.path.join(SOURCE_DIR, "tests", "server", "update_server.py"),
             "--root", root, "--control", self.control, "--log", self.log,
             "--cert", os.path.join(tls_dir, certificate + ".pem"), "--key", os.path.join(tls_dir, certificate + ".key"),
             "--port", str(self.port)],
            stdin=subprocess.DEVNULL, stdout=open(os.path.join(state_dir, "server.out"), "w"),
            stderr=subprocess.STDOUT, start_new_session=True)
        _wait_for_port(self.port, self.proc)

    def plan(self, folder, rules):
        """Fault plan for the files below <root>/<folder> (see tests/server/README.md)."""
        with open(os.path.join(self.control, folder.replace("/", "_") + ".json"), "w", encoding="utf-8") as f:
            json.dump({"rules": rules}, f)

    def requests(self):
        with open(self.log, encoding="utf-8") as f:
            return [json.loads(line) for line in f if line.strip()]

    def stop(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGTERM)
            self.proc.wait(timeout=10)


class TunnelProxy:
    """A CONNECT proxy (bench/link/link_proxy.py, no delay) on a free port that
    takes the tunnels asked for localhost:<this build's port> to 127.0.0.1:`port`."""

    def __init__(self, state_dir, port):
        os.makedirs(state_dir, exist_ok=True)
        port_file = os.path.join(state_dir, "proxy.port")
        self.out = open(os.path.join(state_dir, "proxy.out"), "w")
        self.proc = subprocess.Popen(
            ["/usr/bin/python3", os.path.join(SOURCE_DIR, "bench", "link", "link_proxy.py"), "--port-file", port_file,
             "--rtt-ms", "0", "--rate-mbit", "1000", "--connect-to", "localhost:%d=127.0.0.1:%d" % (server_port(), port)],
            stdin=subprocess.DEVNULL, stdout=self.out, stderr=subprocess.STDOUT, start_new_session=True)
        for _ in range(100):
            if os.path.exists(port_file):
                with open(port_file) as f:
                    self.port = int(f.read())
                return
            time.sleep(0.05)
        self.stop()
        raise RuntimeError("the tunnelling proxy did not start")

    def tunnels(self):
        """How many tunnels the proxy has opened."""
        import urllib.request
        direct = urllib.request.build_opener(urllib.request.ProxyHandler({}))
        with direct.open("http://127.0.0.1:%d/stats" % self.port, timeout=5) as answer:
            return json.load(answer)["connections"]

    def stop(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGTERM)
            self.proc.wait(timeout=10)
        self.out.close()


def free_port():
    import socket
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class LocalNginx:
    """An nginx started by one of the server/ scripts, its state in state_dir."""

    def __init__(self, script, args, state_dir, port):
        _require_free_port(port)
        self.state, self.port = state_dir, port
        os.makedirs(state_dir, exist_ok=True)
        with open(os.path.join(state_dir, script + ".out"), "w+") as out:
            proc = subprocess.run([os.path.join(SOURCE_DIR, "server", script)] + [str(a) for a in args],
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
            if proc.returncode != 0:
                out.seek(0)
                raise RuntimeError(script + " did not start the server: " + out.read())
        _wait_for_port(port, None)

    def access_log(self):
        with open(os.path.join(self.state, "access.log"), encoding="utf-8", errors="replace") as f:
            return f.read().splitlines()

    def stop(self):
        subprocess.run([os.path.join(SOURCE_DIR, "server", "stop-local.sh"), self.state],
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class NginxServer(LocalNginx):
    """The operators' reference server (server/run-local.sh), on this build's port unless given one."""

    def __init__(self, release_top, tls_dir, state_dir, port=None):
        port = port or server_port()
        super().__init__("run-local.sh", [release_top, port, os.path.join(tls_dir, "localhost.pem"),
                                          os.path.join(tls_dir, "localhost.key"), state_dir], state_dir, port)


class MirrorServer(LocalNginx):
    """A mirror (server/run-mirror-local.sh) of a local reference server, on this
    build's port; its cache in state_dir/cache outlives stop() for the next start."""

    def __init__(self, origin, tls_dir, state_dir):
        super().__init__("run-mirror-local.sh", [origin.port, os.path.join(tls_dir, "ca.pem"), server_port(),
                                                 os.path.join(tls_dir, "localhost.pem"),
                                                 os.path.join(tls_dir, "localhost.key"), state_dir],
                         state_dir, server_port())


def _wait_for_port(port, proc):
    import socket
    for _ in range(100):
        if proc is not None and proc.poll() is not None:
            raise RuntimeError("update server exited early")
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.2):
                return
        except OSError:
            time.sleep(0.1)
    raise RuntimeError("update server did not come up on port %d" % port)
