#!/usr/bin/env python3
"""The cost of kestro's system calls alone: turns an strace log of one run
into a C program that makes the same system calls, with the same arguments
and in the same order, from the first file kestro opens to the end, and
computes nothing. Built static like kestro, it is the fastest any program
can be that reads and writes what kestro reads and writes on that tree.

  strace -o LOG kestro ...        (plain strace, no options)
  bench/syscall_floor.py LOG > floor.c && gcc -O2 -static floor.c -o floor
"""
import re
import sys

CALL = re.compile(r'^(\w+)\((.*)\)\s+= (-?\d+|\?)')
STRING = re.compile(r'"((?:[^"\\]|\\.)*)"')
SIGNALS = {'SIGINT', 'SIGTERM', 'SIGHUP'}


def first_arg(args):
    return args.split(',', 1)[0].strip()


def strings(args):
    return STRING.findall(args)


def dirfd(text):
    return 'AT_FDCWD' if text == 'AT_FDCWD' else text


def statement(call, args):
    """One line of C for one logged call, or None for calls of start-up."""
    if call == 'openat':
        fd, path = first_arg(args), strings(args)[0]
        flags = args.split(',')[2].strip()
        mode = ', 0666' if 'O_TMPFILE' in flags or 'O_CREAT' in flags else ''
        return f'openat({dirfd(fd)}, "{path}", {flags}{mode});'
    if call == 'read':
        return f'read({first_arg(args)}, buffer, {args.rsplit(",", 1)[1].strip()});'
    if call == 'write':
        return f'write({first_arg(args)}, buffer, {args.rsplit(",", 1)[1].strip()});'
    if call in ('close', 'fsync'):
        return f'{call}({args.strip()});'
    if call == 'readlinkat':
        return f'readlinkat({dirfd(first_arg(args))}, "{strings(args)[0]}", buffer, 256);'
    if call == 'getdents64':
        return f'syscall(SYS_getdents64, {first_arg(args)}, buffer, sizeof buffer);'
    if call == 'newfstatat':
        return f'fstatat({first_arg(args)}, "", &status, AT_EMPTY_PATH);'
    if call == 'faccessat2':
        return f'faccessat({dirfd(first_arg(args))}, "{strings(args)[0]}", W_OK, AT_EACCESS);'
    if call == 'fchmod':
        fd, mode = (p.strip() for p in args.split(','))
        return f'fchmod({fd}, {mode});'
    if call == 'getrandom':
        return 'getrandom(buffer, 6, GRND_NONBLOCK);'
    if call == 'linkat':
        parts = [p.strip() for p in args.split(',')]
        old, new = strings(args)
        return f'linkat({dirfd(parts[0])}, "{old}", {dirfd(parts[2])}, "{new}", {parts[-1]});'
    if call == 'renameat':
        parts = [p.strip() for p in args.split(',')]
        old, new = strings(args)
        return f'renameat({dirfd(parts[0])}, "{old}", {dirfd(parts[2])}, "{new}");'
    if call == 'rt_sigaction':
        signal = first_arg(args)
        if signal not in SIGNALS:
            return None
        if ', NULL, {' in args:
            return f'sigaction({signal}, NULL, &previous);'
        handler = 'SIG_DFL' if 'SIG_DFL' in args else 'on_signal'
        return f'{{ struct sigaction a = {{0}}; a.sa_handler = {handler}; sigaction({signal}, &a, NULL); }}'
    if call == 'rt_sigprocmask':
        how = first_arg(args)
        return f'sigprocmask({how}, &blocked, NULL);' if how == 'SIG_BLOCK' else 'sigprocmask(SIG_SETMASK, &none, NULL);'
    return None


def main():
    body, started = [], False
    with open(sys.argv[1], encoding='utf-8', errors='replace') as log:
        for line in log:
            match = CALL.match(line)
            if not match:
                continue
            call, args, _ = match.groups()
            # Everything before the first file kestro opens is the C
            # library's start-up, which the static floor program has too.
            started = started or call == 'openat'
            if started and (line_of_c := statement(call, args)):
                body.append('  ' + line_of_c)
    print('\n'.join([
        '#define _GNU_SOURCE',
        '#include <fcntl.h>', '#include <signal.h>', '#include <stdio.h>', '#include <sys/random.h>',
        '#include <sys/stat.h>', '#include <sys/syscall.h>', '#include <unistd.h>',
        'static char buffer[16384];',
        'static void on_signal(int signal) { (void)signal; }',
        'int main(void) {',
        '  struct stat status; struct sigaction previous; sigset_t blocked, none;',
        '  sigemptyset(&none); sigemptyset(&blocked);',
        '  sigaddset(&blocked, SIGINT); sigaddset(&blocked, SIGTERM); sigaddset(&blocked, SIGHUP);',
        '  (void)status; (void)previous; (void)on_signal;',
        *body,
        '  return 0;',
        '}']))


if __name__ == '__main__':
    main()
