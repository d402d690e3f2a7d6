/* The yardstick for a whole run: a program that only writes a file of a
 * given size, durably, with the same system calls as kestro's writer: an
 * unnamed file in the target's directory, its data flushed, a temporary name
 * given through /proc/self/fd, the rename, and the directory flushed.
 * Usage: trivial_writer PATH BYTES */
#define _GNU_SOURCE
#include <fcntl.h>
#include <libgen.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char **argv) {
  if (argc != 3) return 2;
  size_t size = (size_t)strtoul(argv[2], NULL, 10);
  char *buffer = malloc(size + 1);
  if (buffer == NULL) return 1;
  memset(buffer, 'x', size);
  char *copy = strdup(argv[1]);
  int directory = open(dirname(copy), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int file = openat(directory, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (directory < 0 || file < 0 || write(file, buffer, size) != (ssize_t)size || fsync(file) != 0) return 1;
  char self[32];
  snprintf(self, sizeof self, "/proc/self/fd/%d", file);
  if (linkat(AT_FDCWD, self, directory, ".trivial-tmp", AT_SYMLINK_FOLLOW) != 0 || close(file) != 0) return 1;
  strcpy(copy, argv[1]);
  if (renameat(directory, ".trivial-tmp", directory, basename(copy)) != 0) return 1;
  fsync(directory);
  close(directory);
  free(copy);
  free(buffer);
  return 0;
}
