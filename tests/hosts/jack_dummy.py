"""A JACK server with the dummy driver under a name of its own, so that
parallel tests do not meet, and clients run against it. Everything started
here is stopped on leaving the with-block, also when a test fails."""

import os
import re
import subprocess
import time

RATE = 48000
PERIOD = 1024


class DummyJack:
    """The server's and each client's output go to files in logdir: a pipe
    that nobody reads would stall them."""

    def __init__(self, name, logdir):
        self.name = name
        self.logdir = logdir
        self.env = dict(os.environ, JACK_DEFAULT_SERVER=name, JACK_NO_AUDIO_RESERVATION="1")
        self.server = None
        self.clients = []

    def __enter__(self):
        self.server = self._spawn("jackd", ["jackd", "-n", self.name, "--no-realtime",
                                            "-d", "dummy", "-r", str(RATE), "-p", str(PERIOD)],
                                  self.env, subprocess.DEVNULL)
        try:
            waited = subprocess.run(["jack_wait", "-s", self.name, "-w", "-t", "10"],
                                    env=self.env, capture_output=True, text=True, timeout=20)
            if waited.returncode != 0:
                raise AssertionError("jackd -n %s did not start:\n%s"
                                     % (self.name, log_of(self.server)))
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        for proc in reversed(self.clients):
            _stop(proc)
        self.clients = []
        if self.server is not None:
            _stop(self.server)
            self.server = None

    def _spawn(self, label, args, env, stdin):
        path = os.path.join(self.logdir, label + ".log")
        with open(path, "w") as log:
            proc = subprocess.Popen(args, env=env, stdin=stdin, stdout=log,
                                    stderr=subprocess.STDOUT)
        proc.log_path = path
        return proc

    def start(self, args, env=None):
        """Starts a client with its standard input held open (jalv quits at
        the end of its input) and keeps it to stop on leaving."""
        proc = self._spawn("client%d" % len(self.clients), args,
                           dict(self.env, **(env or {})), subprocess.PIPE)
        self.clients.append(proc)
        return proc

    def ports(self):
        done = subprocess.run(["jack_lsp"], env=self.env, capture_output=True, text=True,
                              timeout=20)
        return done.stdout.split("\n")

    def wait_for_port(self, port, proc, seconds=20):
        """Waits until port exists; fails early if proc has ended."""
        deadline = time.monotonic() + seconds
        while port not in self.ports():
            if proc.poll() is not None:
                raise AssertionError("client ended before %s appeared:\n%s"
                                     % (port, log_of(proc)))
            if time.monotonic() > deadline:
                raise AssertionError("no port %s after %d s:\n%s" % (port, seconds, log_of(proc)))
            time.sleep(0.2)

    def latencies(self, port):
        """The port's latency ranges as jack_lsp -l prints them:
        {"playback": (min, max), "capture": (min, max)}."""
        done = subprocess.run(["jack_lsp", "-l", port], env=self.env, capture_output=True,
                              text=True, timeout=20)
        ranges, current = {}, None
        for line in done.stdout.splitlines():
            if not line.startswith("\t"):
                current = line
            elif current == port:
                found = re.match(r"\tport (playback|capture) latency = \[ (\d+) (\d+) \]", line)
                if found:
                    ranges[found.group(1)] = (int(found.group(2)), int(found.group(3)))
        return ranges


def log_of(proc):
    with open(proc.log_path, errors="replace") as f:
        return f.read()


def _stop(proc):
    if proc.poll() is None:
        if proc.stdin:
            proc.stdin.close()
        proc.terminate()
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    elif proc.stdin:
        proc.stdin.close()
