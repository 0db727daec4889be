#!/usr/bin/env bash
# Runs the ALSA guest tests: the real kernel sequencer, in a small virtual machine.
#
# Boots Debian's own kernel under QEMU (software emulation) with an initramfs holding
# busybox, the sound modules (sequencer, virmidi) and the guest programs, runs them there and
# exits with their result. Builds alsa_guest_tests and bench_alsa_send_all in $BUILD_DIR
# (default build) first; keeps the kernel and modules in $BUILD_DIR/alsa-guest between runs.
#
# Needs: root (or sudo-less apt) for the packages qemu-system-x86, busybox-static, cpio and
# xz-utils, which it installs when missing, and a Debian mirror for the kernel package.
# GUEST_TIMEOUT bounds the guest's run (seconds, default 240); GTEST_FILTER is passed on;
# RUN_BENCH=0 leaves out the SEND ALL benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
guest_timeout=${GUEST_TIMEOUT:-240}
work="$build_dir/alsa-guest"

# Packages ---------------------------------------------------------------------------------
missing=()
for package in qemu-system-x86 busybox-static cpio xz-utils; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Programs ---------------------------------------------------------------------------------
mkdir -p "$work"
if ! TARGETS="alsa_guest_tests bench_alsa_send_all" scripts/build.sh > "$work/build.log" 2>&1; then
    tail -n 40 "$work/build.log" >&2
    echo "test-alsa-guest: the build failed" >&2
    exit 1
fi
bin="$build_dir/bin"

# Kernel and sound modules, cached ----------------------------------------------------------
kernel="$work/vmlinux"
modules="$work/sound"
if [ ! -s "$kernel" ] || [ ! -d "$modules" ]; then
    rm -rf "$work/kernel-package"
    mkdir -p "$work/kernel-package"
    # The kernel package that linux-image-amd64 names, fetched without installing it.
    kernel_package() {
        apt-cache depends linux-image-amd64 2>/dev/null |
            sed -n 's/^ *Depends: \(linux-image-[0-9].*-amd64\)$/\1/p' | head -n1 || true
    }
    package=$(kernel_package)
    [ -n "$package" ] || { apt-get update -qq; package=$(kernel_package); }
    [ -n "$package" ] || { echo "test-alsa-guest: no kernel package found" >&2; exit 1; }
    (cd "$work/kernel-package" && apt-get download "$package" >/dev/null)
    deb=$(ls "$work"/kernel-package/*.deb)
    dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work/kernel-package" --wildcards './boot/vmlinuz-*' './lib/modules/*/kernel/sound/*'
    # The compressed kernel holds an xz stream: unpacked, it boots in a third of the time.
    vmlinuz=$(ls "$work"/kernel-package/boot/vmlinuz-*)
    offset=$(LC_ALL=C grep -abo -m1 "$(printf '\3757zXZ')" "$vmlinuz" | head -n1 | cut -d: -f1 || true)
    [ -n "$offset" ] || { echo "test-alsa-guest: no xz stream in $vmlinuz" >&2; exit 1; }
    tail -c +$((offset + 1)) "$vmlinuz" | xz -dc > "$kernel.tmp" 2>/dev/null || true
    [ -s "$kernel.tmp" ] || { echo "test-alsa-guest: cannot unpack the kernel" >&2; exit 1; }
    rm -rf "$modules"
    mv "$work"/kernel-package/lib/modules/*/kernel/sound "$modules"
    mv "$kernel.tmp" "$kernel"
    rm -rf "$work/kernel-package"
fi

# Initramfs: rebuilt each run (the programs change) ----------------------------------------
root="$work/root"
rm -rf "$root"
mkdir -p "$root"/{bin,dev,proc,sys,tmp,lib/modules,usr/share/alsa,guest}
cp /bin/busybox "$root/bin/busybox"
for tool in sh mount insmod poweroff mkdir echo cat ls sleep; do ln -s busybox "$root/bin/$tool"; done
for module in soundcore snd snd-timer snd-seq-device snd-seq snd-seq-dummy snd-rawmidi snd-seq-midi-event \
              snd-seq-virmidi snd-virmidi; do
    found=$(find "$modules" -name "$module.ko*" | head -n1)
    [ -n "$found" ] || { echo "test-alsa-guest: module $module missing" >&2; exit 1; }
    case "$found" in
        *.xz) xz -dc "$found" > "$root/lib/modules/$module.ko" ;;
        *) cp "$found" "$root/lib/modules/$module.ko" ;;
    esac
done
cp /usr/share/alsa/alsa.conf "$root/usr/share/alsa/"
for program in alsa_guest_tests bench_alsa_send_all; do
    strip --strip-debug -o "$root/guest/$program" "$bin/$program"
    ldd "$bin/$program" | grep -o '/[^ ]*' | while read -r library; do
        mkdir -p "$root$(dirname "$library")"
        cp -L -n "$library" "$root$library"
    done
done
cp tests/guest/init.sh "$root/init"
chmod +x "$root/init"
printf "GTEST_FILTER='%s'\nRUN_BENCH=%s\n" "${GTEST_FILTER:-*}" "${RUN_BENCH:-1}" > "$root/guest/settings"
(cd "$root" && find . | cpio -o -H newc --quiet | gzip -1) > "$work/initramfs.gz"

# Run ---------------------------------------------------------------------------------------
log="$work/guest.log"
status=0
timeout --kill-after=5 "$guest_timeout" \
    qemu-system-x86_64 -accel tcg -m 512 -smp 1 -nographic -no-reboot \
    -kernel "$kernel" -initrd "$work/initramfs.gz" \
    -append "console=ttyS0 panic=-1 quiet loglevel=3" < /dev/null | tee "$log" || status=$?

result=$(sed -n 's/^ALSA-GUEST-RESULT \([0-9]*\).*/\1/p' "$log" | tail -n1)
if [ -z "$result" ]; then
    [ "$status" -eq 124 ] && echo "test-alsa-guest: the guest did not finish within ${guest_timeout} s" >&2 ||
        echo "test-alsa-guest: the guest ended without a result (qemu status $status)" >&2
    exit 1
fi
[ "$result" -eq 0 ] && echo "test-alsa-guest: passed" || echo "test-alsa-guest: FAILED ($result)" >&2
exit "$result"
