#!/bin/sh
# Runs a command on a machine of the test network that has its own mDNS
# service: a private /run, a private D-Bus system bus and an avahi-daemon that
# answers on the given interface only. Started by the tests as
#   ip netns exec NS unshare --mount --propagation private mdns-host.sh HOST IFACE CMD...
# so that the buses and daemons of one namespace never meet another's or the
# machine's. With CORVANE_LAB_NO_AVAHI=1 the bus is there but no daemon.
set -eu
host=$1
iface=$2
shift 2
mount -t tmpfs -o mode=755 corvane-lab /run
mkdir -p /run/dbus /run/avahi-daemon /run/corvane-lab
# The machine's own static services stay out of the test network.
mount -t tmpfs corvane-lab /etc/avahi/services
cd /run/corvane-lab
cat >bus.conf <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=/run/dbus/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
CONF
dbus-daemon --config-file=/run/corvane-lab/bus.conf --fork --nopidfile --nosyslog
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/run/dbus/system_bus_socket
cat >avahi.conf <<CONF
[server]
host-name=$host
domain-name=local
use-ipv4=yes
use-ipv6=no
allow-interfaces=$iface
enable-dbus=yes
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
CONF
if [ "${CORVANE_LAB_NO_AVAHI:-0}" != 1 ]; then
    avahi-daemon -f /run/corvane-lab/avahi.conf --no-drop-root --no-chroot --no-rlimits -D
fi
exec "$@"
