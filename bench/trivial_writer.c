/* The yardstick for a whole run: a program that only writes a file of a
 * given size. Usage: trivial_writer PATH BYTES */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv) {
  if (argc != 3) return 2;
  size_t size = (size_t)strtoul(argv[2], NULL, 10);
  char *buffer = malloc(size + 1);
  if (buffer == NULL) return 1;
  memset(buffer, 'x', size);
  FILE *file = fopen(argv[1], "wb");
  if (file == NULL || fwrite(buffer, 1, size, file) != size || fclose(file) != 0) return 1;
  free(buffer);
  return 0;
}
