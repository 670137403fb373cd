#!/usr/bin/env bash
# Try Tarnixw without a device: a simulated bus of several devices, a simulated VYRANTA and a
# simulated PLIXARO appear as virtual serial ports, a VYRANTA behind a serial device server
# (socket://) and a PLIXARO behind a Modbus TCP gateway (tcp://) as network ports of a network
# ports file of the demo's own, then the program starts. The simulators stop when the program
# ends.
#   tools/demo.sh [build dir]
set -euo pipefail
build="${1:-build}"
sim="$build/sim/tarnixw-devsim"
app="$build/app/tarnixw"
logdir="$(mktemp -d /tmp/tarnixw-demo.XXXXXX)"
# A bus for tarnixw-cli scan and site: two models, one device at 9600 baud, two at one ID.
"$sim" --device vyr:1 --device plix:2 --device vyr:3@9600 --device vyr:5 --device plix:5 --name site-bus \
  --log "$logdir/site-bus.log" &
bus_pid=$!
sleep 0.3
"$sim" --model vyr --id 1 --name vyranta-sim --log "$logdir/vyranta.log" &
vyr_pid=$!
sleep 0.3 # a port that appears later is listed later: the PLIXARO's last
"$sim" --model plix --id 1 --name plixaro-sim --log "$logdir/plixaro.log" &
plix_pid=$!
# The network: each simulator says where it listens (a port the system picks).
"$sim" --model vyr --id 1 --listen socket://127.0.0.1:0 --log "$logdir/vyranta-net.log" >"$logdir/vyranta-net.addr" &
vyr_net_pid=$!
"$sim" --model plix --id 1 --listen tcp://127.0.0.1:0 --log "$logdir/plixaro-gw.log" >"$logdir/plixaro-gw.addr" &
plix_net_pid=$!
trap 'kill $bus_pid $vyr_pid $plix_pid $vyr_net_pid $plix_net_pid 2>/dev/null; wait 2>/dev/null' EXIT
for _ in $(seq 50); do
  [ -s "$logdir/vyranta-net.addr" ] && [ -s "$logdir/plixaro-gw.addr" ] && break
  sleep 0.1
done
{
  echo "# The demo's network ports (TARNIXW_NETWORK_PORTS names this file)"
  echo "vyranta-net  $(sed -n 's/^listening //p' "$logdir/vyranta-net.addr")"
  echo "plixaro-gw   $(sed -n 's/^listening //p' "$logdir/plixaro-gw.addr")"
} >"$logdir/network-ports.txt"
export TARNIXW_NETWORK_PORTS="$logdir/network-ports.txt"
sleep 0.3
echo "Simulated devices: a bus (site-bus: tarnixw-cli scan --port site-bus), then VYRANTA, and PLIXARO on the last new COM port (Check COM finds it)."
echo "Network ports after them (tarnixw-cli ports shows their numbers): vyranta-net (socket://), plixaro-gw (tcp://);"
echo "  TARNIXW_NETWORK_PORTS=$logdir/network-ports.txt"
echo "Frame logs: $logdir"
"$app"
