#!/bin/sh
# Runs the campaign of bad input against vorelt-cli.
#   tests/campaign/run-campaign.sh [BUILD_DIR] [--short | --long] [more campaign options]
# BUILD_DIR defaults to build/; use build-asan/ for the sanitizer build. The short form is what
# the test command runs; the long form tries at least 3000 mutated files per binary format.
set -e
cd "$(dirname "$0")/../.."
build=build
case "$1" in
  -*|"") ;;
  *) build=$1; shift ;;
esac
campaign="$build/tests/campaign/vorelt-campaign"
if [ ! -x "$campaign" ]; then
  echo "no $campaign: build the target vorelt-campaign first" >&2
  exit 2
fi
exec "$campaign" --cli "$build/tools/cli/vorelt-cli" "$@"
