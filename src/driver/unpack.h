// The asset archive: unpacked into a directory of the run's own, made fresh, which becomes the
// working directory so that the catalogue's "data/..." paths find the files; removed at the end,
// and also when a signal ends the process at once (a crash, a second Ctrl-C).
// A data/ directory where the show was started is never touched.
#pragma once

// Finds data.dat in the current directory, else beside the program, else where the install rules
// put it, and unpacks it. On failure prints one message naming the archive and where it was looked
// for, and returns 0. If the user
// asks to quit meanwhile, tar is stopped and it returns 0 without a message.
int unpack_data();
// Returns to the starting directory and deletes the unpacked copy; safe to call more than once.
// Returns 0 after a message naming the directory and the reason if it could not be deleted.
int remove_data();
