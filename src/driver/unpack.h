// The asset archive: unpacked into a directory of the run's own, made fresh, which becomes the
// working directory so that the catalogue's "data/..." paths find the files; removed at the end.
// A data/ directory where the show was started is never touched.
#pragma once

// Finds data.dat in the current directory, else beside the program, and unpacks it. On failure
// prints one message naming the archive and where it was looked for, and returns 0.
int unpack_data();
// Returns to the starting directory and deletes the unpacked copy; safe to call more than once.
void remove_data();
