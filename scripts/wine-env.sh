# Sourced by the scripts that run Wine (from the source folder): exports the
# settings of cmake/wine.env for the build folder $1.
while IFS= read -r setting; do
  case $setting in '' | '#'*) continue ;; esac
  name=${setting%%=*} value=${setting#*=}
  if [[ $name == WINEPREFIX ]]; then value="$PWD/$1/$value"; fi
  export "$name=$value"
done <cmake/wine.env
