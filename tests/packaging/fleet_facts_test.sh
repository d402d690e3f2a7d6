#!/usr/bin/env bash
# Kestro's report as a fact of Debian's ansible-core and facter: the playbook
# (PLAYBOOK-DIR/kestro.yml) installs the kestro package from PACKAGE-DIR on
# three inventory hosts that are all this machine and writes the fleet's
# table; Facter reads the enabled fact; as nobody, both keep the other facts
# and give Kestro's failure line. In a private mount and UTS namespace, over
# overlays of /usr, /var and /etc, the fixture SYSFS-TREE bound over /sys and
# a scratch /tmp, so this machine is not changed. Skips (77) when not root,
# without a namespace, the packages (./scripts/build-packages.sh) or the engines.
# Usage: fleet_facts_test.sh PACKAGE-DIR SYSFS-TREE PLAYBOOK-DIR
set -euo pipefail
packages=$1 tree=$2 playbooks=$3

if [ -z "${KESTRO_IN_PRIVATE_MOUNTS:-}" ]; then
  [ "$(id -u)" -eq 0 ] || { echo "SKIP: installing packages needs root"; exit 77; }
  ls "$packages"/kestro_*.deb >/dev/null 2>&1 || { echo "SKIP: no packages in $packages"; exit 77; }
  command -v ansible-playbook facter >/dev/null || { echo "SKIP: ansible-core or facter not installed"; exit 77; }
  unshare -m -u --propagation private true 2>/dev/null || { echo "SKIP: no private mount namespace allowed"; exit 77; }
  scratch=$(mktemp -d)
  status=0
  KESTRO_IN_PRIVATE_MOUNTS=$scratch unshare -m -u --propagation private "$0" "$@" || status=$?
  rmdir "$scratch"
  exit $status
fi

# A tmpfs holds the overlays' changes and copies of the inputs, then becomes /tmp.
scratch=$KESTRO_IN_PRIVATE_MOUNTS
hostname kestro-test
mount -t tmpfs -o mode=0755 kestro-scratch "$scratch"
for top in usr var etc; do
  mkdir -p "$scratch/layers/$top" "$scratch/layers/$top.work"
  mount -t overlay overlay -o "lowerdir=/$top,upperdir=$scratch/layers/$top,workdir=$scratch/layers/$top.work" "/$top"
done
mount --bind "$tree" /sys
mkdir "$scratch/home" "$scratch/nobody"
cp "$packages"/kestro_*.deb "$scratch/"
cp -r "$playbooks" "$scratch/ansible"
cp -r "$playbooks" "$scratch/nobody/ansible"
mount --bind "$scratch" /tmp
cat >/tmp/inventory.yml <<'END'
all:
  vars: {ansible_connection: local, ansible_python_interpreter: /usr/bin/python3}
  hosts: {kestro-1: null, 'kestro,2': null, 'kestro "3"': null}  # the table quotes the last two
END
touch /tmp/ansible.cfg  # Ansible's defaults, whatever /etc/ansible holds
export HOME=/tmp/home TMPDIR=/tmp ANSIBLE_CONFIG=/tmp/ansible.cfg ANSIBLE_CACHE_PLUGIN=jsonfile
as_nobody() {  # Ansible's remote_tmp would be under nobody's home in passwd, which does not exist
  setpriv --reuid=65534 --regid=65534 --clear-groups \
    env HOME=/tmp/nobody TMPDIR=/tmp/nobody ANSIBLE_REMOTE_TMP=/tmp/nobody/.ansible/tmp "$@"
}

failures=0
check() {  # check WHAT COMMAND...: passes when COMMAND does
  local what=$1
  shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
canonical() { python3 -c 'import json, sys; print(json.dumps(json.load(sys.stdin), sort_keys=True))'; }
local_fact() {  # local_fact CACHE HOST NAME: ansible_local.NAME as the playbook last gathered it on HOST
  python3 -c 'import json, sys; print(json.dumps(json.load(sys.stdin)["ansible_local"][sys.argv[1]]))' "$3" <"$1/$2"
}
table() {  # table FIELDS: the fleet's table that has FIELDS (all but the host) on every host
  printf '%s\r\n' host,manufacturer,model,serial_number,product_number,webcam,fingerprint,error \
    "kestro-1,$1" "\"kestro,2\",$1" "\"kestro \"\"3\"\"\",$1"
}

status=0
ANSIBLE_CACHE_PLUGIN_CONNECTION=/tmp/facts ansible-playbook -i /tmp/inventory.yml /tmp/ansible/kestro.yml \
  -e "kestro_deb=$(echo /tmp/kestro_*.deb)" || status=$?
check "the playbook as root: exit status 0" [ "$status" -eq 0 ]
document=$(/usr/bin/kestro --json /PNP /Type1 /File:/dev/stdout | canonical)
check "the package holds the tree's playbook" cmp /usr/share/kestro/ansible/kestro.yml /tmp/ansible/kestro.yml
check "the fact is enabled" [ "$(readlink /etc/ansible/facts.d/kestro.fact)" = /usr/share/kestro/ansible/kestro.fact ]
for host in kestro-1 'kestro,2' 'kestro "3"'; do
  check "ansible_local.kestro of $host is kestro's document" [ "$(local_fact /tmp/facts "$host" kestro)" = "$document" ]
done
check "reports/kestro-fleet.csv" cmp <(table LENOVO,20L8S07A14,,,1,1,) /tmp/ansible/reports/kestro-fleet.csv
mkdir -p /etc/facter/facts.d
ln -s /usr/share/kestro/facter/kestro /etc/facter/facts.d/
check "facter -j kestro" [ "$(facter -j kestro | canonical)" = "{\"kestro\": $document}" ]

line=$(as_nobody /usr/bin/kestro --json /PNP /Type1 /File:/dev/stdout 2>&1 >/dev/null) || true
echo "kestro as nobody: $line"
printf '[plain]\nvalue=1\n' >/etc/ansible/facts.d/other.fact
mkdir -p /tmp/nobody/.facter/facts.d
ln -s /usr/share/kestro/facter/kestro /tmp/nobody/.facter/facts.d/
echo other=1 >/tmp/nobody/.facter/facts.d/other.txt
chown -R nobody /tmp/nobody
status=0
as_nobody env ANSIBLE_CACHE_PLUGIN_CONNECTION=/tmp/nobody/facts \
  ansible-playbook -i /tmp/inventory.yml /tmp/nobody/ansible/kestro.yml -e kestro_become=false || status=$?
check "the playbook as nobody: exit status 0" [ "$status" -eq 0 ]
check "as nobody: ansible_local.other" [ "$(local_fact /tmp/nobody/facts kestro-1 other)" = '{"plain": {"value": "1"}}' ]
check "as nobody: ansible_local.kestro has kestro's line" grep -qF "err: $line" <(local_fact /tmp/nobody/facts kestro-1 kestro)
check "as nobody: reports/kestro-fleet.csv" cmp <(table ",,,,,,$line") /tmp/nobody/ansible/reports/kestro-fleet.csv
facts=$(as_nobody facter --external-dir /tmp/nobody/.facter/facts.d -j kestro other kernel 2>/tmp/facter.err | canonical)
check "as nobody: facter gives the other facts" [ "$facts" = '{"kernel": "Linux", "kestro": null, "other": "1"}' ]
check "as nobody: facter warns with kestro's line" grep -qF "$line" /tmp/facter.err
[ "$failures" -eq 0 ]
