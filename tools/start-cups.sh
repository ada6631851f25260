#!/usr/bin/env bash
# Starts the print service for the tests (as root): runs cupsd when it is not
# running, waits for the scheduler, and adds the PDF-writing queue the
# end-to-end print test prints through when it is missing.
#
# The queue BillprintPDF writes its PDFs into $BILLPRINT_CUPS_PDF_DIR
# (default /var/spool/cups-pdf/billprint), one file per job, through its own
# cups-pdf settings (/etc/cups/cups-pdf-billprint.conf), so the machine's
# other PDF queues keep theirs.
#
# Never fails: when the service cannot be started it says so, and the print
# test skips itself.
set -u

queue=BillprintPDF
instance=billprint
outdir=${BILLPRINT_CUPS_PDF_DIR:-/var/spool/cups-pdf/billprint}

note() { echo "start-cups: $*"; }

scheduler_running() { LC_ALL=C lpstat -r 2>/dev/null | grep -q 'scheduler is running'; }

start_scheduler() {
    scheduler_running && return 0
    if [ ! -x /usr/sbin/cupsd ]; then
        note "cupsd is not installed; printing through a queue is not tested"
        return 1
    fi
    if [ "$(id -u)" -ne 0 ]; then
        note "not root, cannot start cupsd; printing through a queue is not tested"
        return 1
    fi
    mkdir -p /run/cups /var/spool/cups /var/cache/cups /var/log/cups
    # Without -f cupsd puts itself in the background once it has set up.
    if ! /usr/sbin/cupsd; then
        note "cupsd did not start; printing through a queue is not tested"
        return 1
    fi
    for _ in $(seq 1 60); do
        scheduler_running && return 0
        sleep 0.5
    done
    note "the scheduler did not come up within 30 s; printing through a queue is not tested"
    return 1
}

# The cups-pdf driver description shipped with printer-driver-cups-pdf.
find_ppd() {
    local model
    model=$(lpinfo -m 2>/dev/null | awk '{print $1}' | grep -i 'cups-pdf.*_opt\.ppd$' | head -n1)
    [ -n "$model" ] || model=$(lpinfo -m 2>/dev/null | awk '{print $1}' | grep -i 'cups-pdf' | head -n1)
    echo "$model"
}

write_pdf_settings() {
    mkdir -p "$outdir"
    chmod 1777 "$outdir"
    # One file per job: the job number in the name, no user subfolder.
    cat >/etc/cups/cups-pdf-$instance.conf <<EOF
# Written by billprint's tools/start-cups.sh for the queue $queue.
Out $outdir
AnonDirName $outdir
UserUMask 0000
AnonUMask 0000
Label 1
Log /var/log/cups
LogType 3
EOF
}

add_queue() {
    local uri="cups-pdf:/$instance"
    if LC_ALL=C lpstat -v "$queue" 2>/dev/null | grep -q "$uri\$"; then
        # Jobs left over from an earlier run would hold up the test's job.
        cancel -a "$queue" 2>/dev/null
        cupsenable "$queue" 2>/dev/null
        cupsaccept "$queue" 2>/dev/null
        return 0
    fi
    local ppd
    ppd=$(find_ppd)
    if [ -z "$ppd" ]; then
        note "no cups-pdf driver found (printer-driver-cups-pdf); printing through a queue is not tested"
        return 1
    fi
    if ! lpadmin -p "$queue" -E -v "$uri" -m "$ppd" -o printer-is-shared=false -o PageSize=A4; then
        note "could not add the queue $queue; printing through a queue is not tested"
        return 1
    fi
    cupsenable "$queue" 2>/dev/null
    cupsaccept "$queue" 2>/dev/null
    note "added the queue $queue ($ppd)"
}

if start_scheduler; then
    write_pdf_settings
    if add_queue; then
        note "scheduler running; queue $queue writes into $outdir"
    fi
fi
exit 0
