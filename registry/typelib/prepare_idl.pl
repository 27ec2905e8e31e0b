#!/usr/bin/perl
# Prepares the IDL for widl, which writes the first draft of the type library.
#
# widl takes no string default for a parameter passed by reference ([in, out] BSTR*, VARIANT*),
# and it keeps every string as the bytes it reads. So this script removes those defaults from
# the text widl sees, lists them for finish_typelib, which puts them back, and writes the text in
# code page 932, the ANSI code page in which the type library's strings are read.
#
#   prepare_idl.pl IDL WIDL_INPUT DEFAULTS
#
# DEFAULTS gets one line per removed default: function, parameter and value, tab-separated.
use strict;
use warnings;

my ($idl, $widl_input, $defaults) = @ARGV;
die "usage: prepare_idl.pl IDL WIDL_INPUT DEFAULTS\n" unless defined $defaults;

open(my $in, '<:raw', $idl) or die "$idl: $!\n";
my $text = do { local $/; <$in> };
close($in);

my @removed;
my $strip = sub {
  my ($function, $parameters) = @_;
  # [attributes] type* name
  $parameters =~ s{\[([^\]]*)\](\s*[\w\s]+\*+\s*)(\w+)}{
    my ($attributes, $type, $name) = ($1, $2, $3);
    if ($attributes =~ s/\s*,\s*defaultvalue\("((?:[^"\\]|\\.)*)"\)//) {
      push @removed, "$function\t$name\t$1\n";
    }
    "[$attributes]$type$name";
  }ge;
  return $parameters;
};
$text =~ s{(HRESULT\s+(\w+)\s*\()([^;]*?)(\)\s*;)}{$1 . $strip->($2, $3) . $4}ge;

open(my $out, '|-', 'iconv', '-f', 'UTF-8', '-t', 'CP932', '-o', $widl_input)
  or die "iconv: $!\n";
print $out $text;
close($out) or die "$idl: cannot be written in code page 932\n";

open(my $list, '>:raw', $defaults) or die "$defaults: $!\n";
print $list @removed;
close($list) or die "$defaults: $!\n";
