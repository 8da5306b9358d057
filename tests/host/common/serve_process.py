"""kestan-io serve as a person starts it, for the suites that talk to it:
one card of the simulated PC, a state folder of its own, standard error
in a file, the port learnt from the line it says when it listens."""
import os
import re
import signal
import subprocess
import tempfile
import time


class ServeProcess:
    def __init__(self, kestan_io, kind, base, serve_words, listening=r"listening on 127\.0\.0\.1:(\d+),",
                 preexec_fn=None):
        self.state_dir = tempfile.TemporaryDirectory()
        self.log = tempfile.NamedTemporaryFile(mode="w+", suffix=".log")
        self.env = dict(os.environ, KESTAN_IO_STATE_DIR=self.state_dir.name)
        command = [kestan_io, "--simulator", "--kind", kind, "--base", base, "serve", *serve_words]
        self.process = subprocess.Popen(command, stderr=self.log, stdout=subprocess.DEVNULL, env=self.env,
                                        preexec_fn=preexec_fn)
        self.port = self._wait_for_port(listening)

    def _wait_for_port(self, listening):
        for _ in range(500):
            found = re.search(listening, self.text())
            if found:
                return int(found.group(1))
            if self.process.poll() is not None:
                raise AssertionError("kestan-io ended: " + self.text())
            time.sleep(0.02)
        raise AssertionError("kestan-io never listened: " + self.text())

    def text(self):
        with open(self.log.name) as log:
            return log.read()

    def stop(self, signal_number=signal.SIGTERM):
        self.process.send_signal(signal_number)
        return self.process.wait(timeout=10)

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log.close()
        self.state_dir.cleanup()
