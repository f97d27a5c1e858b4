# Empty dependencies file for e2e_event_printer.
# This may be replaced when dependencies are built.
