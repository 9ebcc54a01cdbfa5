#!/usr/bin/env bash
# Builds Vellora and starts it without hardware, on this machine's display.
#
# The program searches as soon as it starts, so it never runs on the machine's own network:
# it gets a network namespace of its own with two interfaces, each joined by a veth pair to a
# namespace where the gateway simulator plays modules:
#
#   vellora-pc-ID  vpc0 192.168.100.1/24  <->  vgw0 in vellora-gwa-ID: three modules
#                                              (192.168.100.50..52, TCP port 80)
#                  vpc1 10.20.0.1/24      <->  vgw1 in vellora-gwb-ID: one module (10.20.0.50)
#
# ID is the process id of the script's root part, so copies run side by side; everything a
# copy made is removed when its window closes, and what a killed copy left is removed by the
# next one. Root is needed for the namespaces only (the script asks sudo for it when run by a
# user; without sudo, run it as root): the build runs as the owner of the clone and the window
# as the user whose desktop it opens on. The window opens expanded, as the demonstration shows
# the production controls and the terminal.
#
#   scripts/run.sh [simulator options for the three modules...]
#   e.g. scripts/run.sh --reply unicast --tcp-mode flood --rate 200
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/run
owner=$(stat -c %U .)
as_owner=()
if [[ $(id -u) -eq 0 && $owner != root ]]; then
  as_owner=(runuser -u "$owner" --)  # no root-owned files in a user's clone
fi

scripts/install-deps.sh --demo
if [[ ! -x $build/app/vellora ]]; then
  echo "The first build of the program and the simulator takes some minutes" \
    "(about ten on two cores); later runs start at once."
fi
"${as_owner[@]}" cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELLORA_TESTS=OFF -DVELLORA_BENCH=OFF >/dev/null
"${as_owner[@]}" cmake --build "$build" --target vellora vellora-cli gateway_sim

if [[ $(id -u) -ne 0 ]]; then
  if ! command -v sudo >/dev/null; then
    echo "The network namespaces need root: run $0 as root." >&2
    exit 1
  fi
  exec sudo --preserve-env=DISPLAY,WAYLAND_DISPLAY,XDG_RUNTIME_DIR \
    XAUTHORITY="${XAUTHORITY:-$HOME/.Xauthority}" "$0" "$@"
fi

# What copies that are gone left behind.
for ns in $(ip netns list | awk '{print $1}' | grep -E '^vellora-(pc|gwa|gwb)-[0-9]+$' || true); do
  kill -0 "${ns##*-}" 2>/dev/null || ip netns del "$ns" 2>/dev/null || true
done

id=$$
pc=vellora-pc-$id gwa=vellora-gwa-$id gwb=vellora-gwb-$id
sim_pids=()
runtime=""
cleanup() {
  for pid in "${sim_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  for ns in "$pc" "$gwa" "$gwb"; do ip netns del "$ns" 2>/dev/null || true; done
  if [[ -n $runtime ]]; then rm -rf "$runtime"; fi
}
trap cleanup EXIT

for ns in "$pc" "$gwa" "$gwb"; do
  ip netns add "$ns"
  ip -n "$ns" link set lo up
done
ip link add vpc0 netns "$pc" type veth peer name vgw0 netns "$gwa"
ip link add vpc1 netns "$pc" type veth peer name vgw1 netns "$gwb"
ip -n "$pc" addr add 192.168.100.1/24 dev vpc0
ip -n "$pc" addr add 10.20.0.1/24 dev vpc1
ip -n "$gwa" addr add 192.168.100.2/24 dev vgw0
for host in 50 51 52; do ip -n "$gwa" addr add "192.168.100.$host/24" dev vgw0; done
ip -n "$gwb" addr add 10.20.0.50/24 dev vgw1
ip -n "$pc" link set vpc0 up
ip -n "$pc" link set vpc1 up
ip -n "$gwa" link set vgw0 up
ip -n "$gwb" link set vgw1 up

sim="$build/tools/gateway_sim/vellora-gateway-sim"
log_a="$build/simulator-a-$id.log" log_b="$build/simulator-b-$id.log"
"${as_owner[@]}" touch "$log_a" "$log_b"  # made by the owner, only written by root
ip netns exec "$gwa" "$sim" --interface vgw0 --gateways 3 --ip-base 192.168.100.50 \
  --reply broadcast "${@}" >"$log_a" 2>&1 &
sim_pids+=($!)
ip netns exec "$gwb" "$sim" --interface vgw1 --gateways 1 --ip-base 10.20.0.50 \
  --mac-base 02:00:00:00:20:01 >"$log_b" 2>&1 &
sim_pids+=($!)
echo "Simulated modules: $log_a and $log_b show what they receive."
# As root; sudo only for the one who came by it.
echo "vellora-cli on them, while the window is open:" \
  "${SUDO_USER:+sudo }ip netns exec $pc env PATH=\"$PWD/$build/cli:\$PATH\" vellora-cli search"

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
  echo "No display found: the window runs offscreen. Stop it with Ctrl+C."
  export QT_QPA_PLATFORM=offscreen
fi
# The window runs as the user whose desktop it opens on: the one who called sudo, or, when root
# came by su from a desktop session, the owner of that session's runtime folder.
user=root
if [[ -n ${SUDO_USER:-} ]]; then
  user=$SUDO_USER
elif [[ -d ${XDG_RUNTIME_DIR:-} ]]; then
  user=$(stat -c %U "$XDG_RUNTIME_DIR")
fi
as_user=()
if [[ $user != root ]]; then
  as_user=(runuser -u "$user" --)
fi
# Qt wants a runtime folder (XDG_RUNTIME_DIR) that belongs to the user it runs as, and warns
# without one: the window gets a private one then. Wayland's socket stays reachable by its path.
if [[ ! -d ${XDG_RUNTIME_DIR:-} || $(stat -c %U "$XDG_RUNTIME_DIR") != "$user" ]]; then
  if [[ -n ${WAYLAND_DISPLAY:-} && $WAYLAND_DISPLAY != /* && -n ${XDG_RUNTIME_DIR:-} ]]; then
    export WAYLAND_DISPLAY=$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY
  fi
  runtime=$(mktemp -d)
  chown "$user" "$runtime"
  export XDG_RUNTIME_DIR=$runtime
fi
display_env=()
if [[ -n ${XAUTHORITY:-} ]]; then
  display_env=(XAUTHORITY="$XAUTHORITY")
fi
ip netns exec "$pc" "${as_user[@]}" env "${display_env[@]}" "$build/app/vellora" --expanded || true
