"""Drives the Python tool SDK from the C++ tests, as separate processes.

  sdk_driver.py copy STORE FROM TO       read the slots of FROM, write them to TO
  sdk_driver.py read STORE SECTION       print "code|text" of reading the slots
  sdk_driver.py send STORE SECTION NAME COUNT
                                         send COUNT commands, each when the host key is empty
  sdk_driver.py tool ARGS...             a tool started by the host (env PY_TOOL_LOG):
                                         logs each command taken; on "Start" sends
                                         its data back renamed, as new and unsaved
"""
import os
import sys
import time
from pathlib import Path

sys.path.insert(0, os.environ["LUMIBENCH_PYTHON_SDK"])
import lumibench_tool as lt  # noqa: E402


def session_over(store, section, name="Tool_PyDriver", instance="1"):
    line = lt.ToolCommandLine(section=section, instance_id=instance, takes_data=True)
    return lt.ToolSession(lt.SettingsStore(Path(store)), line, name)


def main(argv):
    mode = argv[1]
    if mode == "copy":
        records = session_over(argv[2], argv[3]).read_data()
        print(session_over(argv[2], argv[4]).write_data(records))
    elif mode == "read":
        try:
            records = session_over(argv[2], argv[3]).read_data()
            print("%d|" % (lt.READ_OK if records else lt.READ_EMPTY))
        except lt.ExchangeError as failure:
            print("%d|%s" % (failure.code, failure))
    elif mode == "send":
        session = session_over(argv[2], argv[3], argv[4])
        for i in range(int(argv[5])):
            if not session.send_to_host("REFRESHDATA", str(i), timeout=20):
                return 1
    elif mode == "tool":
        session = lt.ToolSession.start(argv[1:], "Tool_PyHeadless")
        records = session.read_data() if session.command_line.takes_data else []
        log = open(os.environ["PY_TOOL_LOG"], "a", buffering=1)
        log.write("data\t%s\n" % ";".join(r.Filename for r in records))
        while True:
            command = session.take_command()
            if command is None:
                time.sleep(0.02)
                continue
            log.write("take\t%s\n" % command.text)
            if command.kind == "Close":
                return 0
            if command.kind == "Start" and records:
                for record in records:
                    record.Filename = record.Filename.replace(".ies", "_py.ies")
                session.write_data(records)
                session.send_to_host("SENDNEWDATA*")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
