"""batches.jsonl of the state folder: one JSON object a line for every batch received and
every login attempt, written as it happens so a test can read it while the server runs."""

import json
import os
import threading

LOG_FILE = "batches.jsonl"


class BatchLog:
    def __init__(self, directory):
        self.path = os.path.join(directory, LOG_FILE)
        self.lock = threading.Lock()

    def write(self, entry):
        line = json.dumps(entry, ensure_ascii=False) + "\n"
        with self.lock, open(self.path, "a", encoding="utf-8") as file:
            file.write(line)

    def batch(self, login, database, text, error):
        """error: the first error the batch raised, or None."""
        self.write({
            "login": login,
            "database": database,
            "batch": text,
            "error": None if error is None else {"number": error.number,
                                                 "message": error.text},
        })

    def login(self, user, ok):
        self.write({"event": "login", "user": user, "ok": ok})
