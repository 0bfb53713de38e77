#!/usr/bin/env bash
# Runs a command beside two servers of Octave's parallel package on this
# machine, on a private network no other machine can reach: the command in
# one network namespace, each server in its own (with its own host name, so
# its own pid file), joined by a bridge: the command at 10.77.0.1, servers at
# 10.77.0.2 and 10.77.0.3, all three named in a private /etc/hosts (the
# servers look up the names of their peers' addresses). The servers run
# without authentication, which is safe only because nothing outside these
# namespaces can connect to them. The command finds the servers' names in
# TFMEX_SERVERS. Exit status 77: this machine cannot host them (needs root,
# ip, unshare, runuser and octave-pserver).
set -euo pipefail
pserver=/usr/libexec/octave-pserver
octave=$(command -v octave-cli || true)
if [[ $(id -u) -ne 0 || -z "$octave" || ! -x "$pserver" ]] ||
   ! command -v ip >/dev/null || ! command -v unshare >/dev/null || ! command -v runuser >/dev/null; then
  echo "two_servers: needs root, ip, unshare, runuser, octave-cli and $pserver" >&2
  exit 77
fi
tag=tfmex$$
client=${tag}c
servers=(${tag}s1 ${tag}s2)
hosts=$(mktemp)
printf '127.0.0.1 localhost\n10.77.0.1 %s-c\n10.77.0.2 %s-s1\n10.77.0.3 %s-s2\n' "$tag" "$tag" "$tag" >"$hosts"
chmod 644 "$hosts"

cleanup() {
  for ns in "${servers[@]}" "$client"; do
    if ip netns list | grep -qw "$ns"; then
      for pid in $(ip netns pids "$ns"); do kill "$pid" 2>/dev/null || true; done
      ip netns del "$ns" 2>/dev/null || true
    fi
  done
  rm -f "$hosts" /tmp/.octave-${tag}-s[12].pid /tmp/octave_error-${tag}-s[12]*.log
}
trap cleanup EXIT

# The private network: a bridge in the client's namespace, one veth pair to
# each server's. A machine that cannot build it cannot host the servers.
network() {
  ip netns add "$client" || return 1
  ip -n "$client" link set lo up || return 1
  ip -n "$client" link add br0 type bridge || return 1
  ip -n "$client" addr add 10.77.0.1/24 dev br0 || return 1
  ip -n "$client" link set br0 up || return 1
  for k in 1 2; do
    ns=${servers[k-1]}
    ip netns add "$ns" || return 1
    ip -n "$client" link add v$k type veth peer name eth0 netns "$ns" || return 1
    ip -n "$client" link set v$k master br0 up || return 1
    ip -n "$ns" link set lo up || return 1
    ip -n "$ns" addr add 10.77.0.$((k + 1))/24 dev eth0 || return 1
    ip -n "$ns" link set eth0 up || return 1
  done
}
if ! network 2>/dev/null; then
  echo "two_servers: cannot build a private network of namespaces here" >&2
  exit 77
fi
# The server refuses to run as root; it puts itself in the background.
for k in 1 2; do
  ip netns exec "${servers[k-1]}" unshare --uts --mount sh -c \
    "mount --bind $hosts /etc/hosts && hostname ${tag}-s$k && cd /tmp &&
     exec runuser -u nobody -- $pserver --octave-binary=$octave --no-auth" >/dev/null
done
for k in 1 2; do
  for _ in $(seq 50); do
    ip netns exec "${servers[k-1]}" ss -ltn | grep -q ':12502 ' && break
    sleep 0.1
  done
done
export TFMEX_SERVERS="${tag}-s1 ${tag}-s2"
ip netns exec "$client" unshare --uts --mount sh -c \
  "mount --bind $hosts /etc/hosts && hostname ${tag}-c && exec \"\$@\"" sh "$@"
