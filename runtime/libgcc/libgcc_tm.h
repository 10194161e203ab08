/* Empty for i686 Windows. */
