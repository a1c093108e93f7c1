#!/usr/bin/env python3
"""Tool_PythonExample: shows the names of the data sets it was given and can
send them back to the host as new, unsaved data. Install it as
<ToolPath>/Tool_PythonExample with lumibench_tool.py beside it."""
import sys
import tkinter as tk

import lumibench_tool

session = lumibench_tool.ToolSession.start(sys.argv, "Tool_PythonExample")
records = session.read_data() if session.command_line.takes_data else []  # first thing

root = tk.Tk()
root.title(session.window_title)  # the host finds its tools by this title
names = "\n".join(record.Filename for record in records) or "No data"
tk.Label(root, text=names, justify="left").pack(padx=12, pady=8)


def send_back():
    session.write_data(records)
    session.send_to_host("SENDNEWDATA*", wait=lambda seconds: root.update())  # "*": unsaved


def closed_by_user():
    session.send_to_host("CLOSEREMOVE")
    root.destroy()


def poll():
    command = session.take_command()
    if command and command.kind == "Close":
        return root.destroy()
    if command and command.kind == "Start":  # on top, with the focus
        root.deiconify()
        root.lift()
        root.focus_force()
    if command and command.kind == "MoveWin":  # relative to the host window; sent again on cascade
        root.geometry("+%d+%d" % session.move_win_position(command.x, command.y))
    root.after(50, poll)


tk.Button(root, text="Send back", command=send_back).pack(pady=8)
root.protocol("WM_DELETE_WINDOW", closed_by_user)
# The window manager keeps the window above the host's; set again on every map.
root.bind("<Map>", lambda event: event.widget is root and session.keep_above_host(root.winfo_id()))
poll()
root.mainloop()
