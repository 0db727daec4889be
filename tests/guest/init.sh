#!/bin/sh
# The guest's first process: mounts the kernel's file systems, loads the sound modules (the
# package has no modules.dep: this is their dependency order), runs the guest programs from
# /guest and prints their result on the serial console before powering off.
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mount -t tmpfs tmp /tmp
for module in soundcore snd snd-timer snd-seq-device snd-seq snd-seq-dummy snd-rawmidi snd-seq-midi-event \
              snd-seq-virmidi; do
    insmod /lib/modules/$module.ko || echo "cannot load $module"
done
# Card 0 with two virtual raw MIDI devices (the instrument plays on the first), card 1 with one.
insmod /lib/modules/snd-virmidi.ko enable=1,1 midi_devs=2,1 || echo "cannot load snd-virmidi"

. /guest/settings
export HOME=/tmp
# Memory is filled when allocated and when freed: a read past the end of a list sees no zeros.
export MALLOC_PERTURB_=165
cd /guest
./alsa_guest_tests --gtest_filter="$GTEST_FILTER" --gtest_color=no
result=$?
if [ "$RUN_BENCH" = 1 ]; then
    ./bench_alsa_send_all --benchmark_color=false || result=$((result ? result : 100))
fi
echo "ALSA-GUEST-RESULT $result"
poweroff -f
